#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/fatal.hpp"
#include "io/input.hpp"
#include "io/output.hpp"
#include "io/pipe.hpp"

namespace marlune::io {
namespace {

TEST(Input, EndOfInputBeforeAndAfter) {
    Input in(std::string_view{});
    EXPECT_EQ(in.FEOF(), 1) << "nothing read yet";
    EXPECT_EQ(in.FGETC(), END_OF_INPUT);
    EXPECT_EQ(in.FEOF(), 1);
    EXPECT_EQ(in.FGETC(), END_OF_INPUT) << "stays at the end";
}

TEST(Input, SignedBytesAndLineCount) {
    const std::string data = "a\xE9\n\x1A" "b";
    Input in(data);
    EXPECT_EQ(in.FGETC(), 'a');
    EXPECT_EQ(in.FEOF(), 0);
    EXPECT_EQ(in.FGETC(), -23);
    EXPECT_EQ(in.LINENO, 1);
    EXPECT_EQ(in.FGETC(), '\n');
    EXPECT_EQ(in.LINENO, 2) << "counted when the line feed is delivered";
    EXPECT_EQ(in.FGETC(), 26);
    EXPECT_EQ(in.FEOF(), 0) << "a 0x1A byte in the data is an ordinary byte";
    EXPECT_EQ(in.FGETC(), 'b');
    EXPECT_EQ(in.FEOF(), 0) << "stays false after the last byte";
    EXPECT_EQ(in.FGETC(), END_OF_INPUT);
    EXPECT_EQ(in.FEOF(), 1);
}

// Block boundaries must not lose or repeat bytes, whatever the size of the
// reads (a pipe delivers short blocks).
TEST(Input, DeliversEveryByteAcrossBlocks) {
    for (std::size_t size : {std::size_t{16383}, std::size_t{16384}, std::size_t{16385}, std::size_t{40000}}) {
        for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, Input::BLOCK}) {
            std::string data(size, 'x');
            for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
            Input in(data, chunk);
            std::string got;
            for (;;) {
                const int c = in.FGETC();
                if (in.FEOF()) break;
                got.push_back(static_cast<char>(c));
            }
            EXPECT_EQ(got, data) << size << " bytes in chunks of " << chunk;
        }
    }
}

// Once a read has delivered nothing the end is final: on a terminal, a
// further read would wait for another Ctrl-D.
TEST(Input, NoReadAfterTheEnd) {
    for (const std::string& data : {std::string(), std::string("abc"), std::string(16384, 'x')}) {
        Input in(data, 7);
        while (in.FGETC() != END_OF_INPUT || !in.FEOF()) {
        }
        const auto reads = in.reads();
        for (int i = 0; i < 5; ++i) EXPECT_EQ(in.FGETC(), END_OF_INPUT);
        in.prefetch();
        EXPECT_EQ(in.FEOF(), 1);
        EXPECT_EQ(in.reads(), reads) << data.size() << " bytes: read again after the end";
    }
}

// The first read can be made ahead of the first byte without changing what
// is delivered.
TEST(Input, PrefetchDeliversTheSameBytes) {
    Input in(std::string_view("ab\n"), 2);
    in.prefetch();
    in.prefetch();
    EXPECT_EQ(in.reads(), 1u);
    EXPECT_EQ(in.FGETC(), 'a');
    EXPECT_EQ(in.FGETC(), 'b');
    EXPECT_EQ(in.FGETC(), '\n');
    EXPECT_EQ(in.LINENO, 2);
    EXPECT_EQ(in.FGETC(), END_OF_INPUT);
}

// Scans load whole words from any pending position, up to SLACK bytes past
// the pending ones: those bytes are always defined, zero, also where a
// shorter block follows a longer one, and after a peek that moved the
// pending bytes to the front and read fewer than there were.
TEST(Input, SlackAfterThePendingBytesIsZero) {
    const std::string data = "abcdefghijklmnopqrstuvwxyz0123";
    auto slack_is_zero = [](const Input& in) {
        const std::string_view ready = in.pending();
        for (std::size_t k = 0; k < Input::SLACK; ++k)
            if (ready.data()[ready.size() + k] != 0) return false;
        return true;
    };
    Input in(std::string_view(data), 12);
    EXPECT_TRUE(slack_is_zero(in)) << "before the first read";
    EXPECT_EQ(in.FGETC(), 'a');
    EXPECT_EQ(in.pending(), "bcdefghijkl");
    EXPECT_TRUE(slack_is_zero(in)) << "after the first block";
    in.consume(9);
    EXPECT_EQ(in.peek(12), "klmnopqrstuv");
    EXPECT_TRUE(slack_is_zero(in)) << "after the peek";
    in.consume(in.pending().size());
    EXPECT_EQ(in.FGETC(), 'y');
    EXPECT_EQ(in.pending(), "z0123");
    EXPECT_TRUE(slack_is_zero(in)) << "after a shorter block";
    in.consume(3);
    EXPECT_EQ(in.peek(12), "23") << "the end of the input";
    EXPECT_TRUE(slack_is_zero(in)) << "after a peek that met the end";
}

TEST(Output, NoNewlineDropsLineEnds) {
    StringSink sink;
    Output out(sink);
    out.NONEWLINE = 1;
    out.CPUTS("A\r\nB");
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "AB");
}

// The buffer goes out when the byte after its eighth block of 16,383
// arrives; a run that fails keeps exactly the blocks that a byte after them
// has completed, however many of them the buffer still holds.
TEST(Output, FlushesInBlocksOf16383) {
    StringSink sink;
    Output out(sink);
    const std::size_t full = Output::BLOCKS * Output::BLOCK;
    for (std::size_t i = 0; i < full; ++i) out.CPUT(static_cast<char>('a' + i % 26));
    EXPECT_EQ(sink.data().size(), 0u) << "eight blocks stay in the buffer";
    out.CPUT('y');
    EXPECT_EQ(sink.data().size(), full) << "the next byte writes them out first";
    EXPECT_EQ(out.CLEN, 1);
    out.CFLUSH();
    EXPECT_EQ(sink.data().size(), full + 1);
    EXPECT_EQ(sink.data().back(), 'y');
}

TEST(Output, FailedRunKeepsTheCompletedBlocks) {
    const std::size_t B = Output::BLOCK;
    struct Case {
        std::size_t produced;  // bytes put before the failure
        std::size_t kept;      // what one block at a time would have written
    };
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{B, 0}, Case{B + 1, B}, Case{2 * B, B}, Case{2 * B + 1, 2 * B},
                          Case{5 * B + 77, 5 * B}, Case{8 * B, 7 * B}, Case{8 * B + 1, 8 * B},
                          Case{8 * B + 2, 8 * B}, Case{9 * B + 1, 9 * B}, Case{17 * B + 5, 17 * B}}) {
        StringSink sink;
        Output out(sink);
        std::string produced(c.produced, 'x');
        for (std::size_t i = 0; i < c.produced; ++i) produced[i] = static_cast<char>('a' + i % 23);
        // In pieces of every kind: bytes, runs and fills.
        std::size_t at = 0;
        for (std::size_t k = 0; at < c.produced; ++k) {
            const std::size_t n = std::min(c.produced - at, k % 3 == 0 ? std::size_t{1} : 5000 + k);
            if (k % 3 == 0) {
                out.CPUT(produced[at]);
            } else {
                out.CPUTS(std::string_view(produced).substr(at, n));
            }
            at += n;
        }
        out.write_complete_blocks();
        EXPECT_EQ(sink.data(), produced.substr(0, c.kept)) << c.produced;
        // What is left is still written by the end of a run that goes on.
        out.CFLUSH();
        EXPECT_EQ(sink.data(), produced) << c.produced;
    }
}

TEST(Output, NulBytesAreWrittenWithTheRest) {
    StringSink sink;
    Output out(sink);
    const std::string text("a\0b", 3);
    out.CPUTS(text);
    out.CFLUSH();
    EXPECT_EQ(sink.data(), text);
}


// Records the size of every block handed to it.
class BlockSink final : public ByteSink {
public:
    void write(const char* data, std::size_t size) override {
        blocks.push_back(size);
        bytes.append(data, size);
    }
    std::vector<std::size_t> blocks;
    std::string bytes;
};

// The run-at-a-time writers hand the sink the same blocks as CPUT byte by
// byte, with and without -n.
TEST(Output, RunWritersKeepTheBlocksOfCput) {
    std::string text;
    for (int i = 0; i < 40000; ++i) text.push_back(i % 97 == 0 ? '\n' : i % 89 == 0 ? '\r' : static_cast<char>('a' + i % 26));
    for (const int no_newline : {0, 1}) {
        BlockSink bytewise, runs;
        Output a(bytewise), b(runs);
        a.NONEWLINE = b.NONEWLINE = no_newline;
        for (char c : text) a.CPUT(c);
        for (int i = 0; i < 20000; ++i) a.CPUT('-');
        for (int i = 0; i < 30000; ++i) a.CPUT('\n');
        for (char c : text) a.CPUT(c);
        a.CFLUSH();

        b.CPUTS(std::string_view(text));
        b.fill('-', 20000);
        b.fill('\n', 30000);
        b.fill('x', -3);
        if (no_newline) {
            b.CPUTS(std::string_view(text));
        } else {
            // Copied through reserve and commit, in pieces of at most 1000.
            for (std::size_t done = 0; done < text.size();) {
                std::size_t room;
                char* to = b.reserve(std::min<std::size_t>(1000, text.size() - done), room);
                std::memcpy(to, text.data() + done, room);
                b.commit(room);
                done += room;
            }
        }
        b.CFLUSH();
        EXPECT_EQ(runs.blocks, bytewise.blocks) << "NONEWLINE " << no_newline;
        EXPECT_EQ(runs.bytes, bytewise.bytes) << "NONEWLINE " << no_newline;
    }
}

// Every byte `in` delivers, up to the end of the input.
std::string read_all(Input& in) {
    std::string got;
    for (;;) {
        const int c = in.FGETC();
        if (in.FEOF()) return got;
        got.push_back(static_cast<char>(c));
    }
}

std::string pattern(std::size_t size, char first) {
    std::string data(size, ' ');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(first + i % 26);
    return data;
}

// A scratch file, removed at the end of the test.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& data) {
        char name[] = "/tmp/marlune_io_test_XXXXXX";
        const int fd = ::mkstemp(name);
        EXPECT_GE(fd, 0);
        name_ = name;
        EXPECT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
        ::close(fd);
    }
    ~ScratchFile() { ::unlink(name_.c_str()); }
    void append(const std::string& data) const {
        const int fd = ::open(name_.c_str(), O_WRONLY | O_APPEND);
        EXPECT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
        ::close(fd);
    }
    const char* name() const { return name_.c_str(); }

private:
    std::string name_;
};

TEST(RegularFileRemainder, SizeLessOffsetForRegularFilesOnly) {
    ScratchFile file("abcdef");
    const int fd = ::open(file.name(), O_RDONLY);
    EXPECT_EQ(regular_file_remainder(fd), 6u);
    ::lseek(fd, 2, SEEK_SET);
    EXPECT_EQ(regular_file_remainder(fd), 4u) << "from the current offset";
    ::lseek(fd, 10, SEEK_SET);
    EXPECT_EQ(regular_file_remainder(fd), 0u) << "offset past the end";
    ::close(fd);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    EXPECT_EQ(regular_file_remainder(ends[0]), NO_LIMIT) << "a pipe";
    ::close(ends[0]);
    ::close(ends[1]);
    const int null = ::open("/dev/null", O_RDONLY);
    EXPECT_EQ(regular_file_remainder(null), NO_LIMIT) << "a device";
    ::close(null);
    EXPECT_EQ(regular_file_remainder(-1), NO_LIMIT) << "no descriptor";
}

// What is appended to the input after the run has opened it (its own
// diagnostics, say) is never read: otherwise a run writing to its input
// would never end.
TEST(Input, ReadsNoFurtherThanTheLimit) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{5}, Input::BLOCK, Input::BLOCK + 1, std::size_t{40000}}) {
        const std::string data = pattern(size, 'a');
        ScratchFile file(data);
        const int fd = ::open(file.name(), O_RDONLY);
        Input in(fd, "file", regular_file_remainder(fd));
        file.append("XYZ+1'\n");
        std::string got;
        for (;;) {
            const int c = in.FGETC();
            if (in.FEOF()) break;
            got.push_back(static_cast<char>(c));
            // Appended while the input is being read, too.
            if (got.size() == 1) file.append(pattern(Input::BLOCK, 'A'));
        }
        EXPECT_EQ(got, data) << size << " bytes";
        const auto reads = in.reads();
        EXPECT_EQ(in.FGETC(), END_OF_INPUT);
        EXPECT_EQ(in.reads(), reads) << "no read once the limit is reached";
        ::close(fd);
    }
}

// A pipe is read in wider blocks than a file: what the pipe holds comes in
// as few reads, each delivering up to PIPE_BLOCK bytes, every byte in order.
TEST(Input, PipeIsReadInWiderBlocks) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::size_t size = Input::PIPE_BLOCK + Input::BLOCK / 2;
    if (::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20) < static_cast<int>(size)) {
        ::close(ends[0]);
        ::close(ends[1]);
        GTEST_SKIP() << "the system does not let a pipe hold the data";
    }
    const std::string data = pattern(size, 'p');
    ASSERT_EQ(::write(ends[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
    ::close(ends[1]);
    Input in(ends[0], "-");
    EXPECT_EQ(read_all(in), data);
    EXPECT_EQ(in.reads(), 3u) << "two blocks and the end";
    ::close(ends[0]);
}

// A pipe whose reading end is in non-blocking mode, written by another
// thread in pieces with pauses, the first of them before anything is there.
struct SlowWriter {
    SlowWriter(const std::string& data, bool non_blocking) {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        read_end = ends[0];
        if (non_blocking) ::fcntl(read_end, F_SETFL, ::fcntl(read_end, F_GETFL) | O_NONBLOCK);
        writer = std::thread([data, fd = ends[1]] {
            for (std::size_t at = 0; at < data.size(); at += 5000) {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                const std::size_t n = std::min<std::size_t>(5000, data.size() - at);
                if (::write(fd, data.data() + at, n) != static_cast<ssize_t>(n)) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ::close(fd);
        });
    }
    ~SlowWriter() {
        writer.join();
        ::close(read_end);
    }
    int read_end = -1;
    std::thread writer;
};

TEST(Input, NonBlockingInputIsWaitedFor) {
    const std::string data = pattern(40000, 'a');
    SlowWriter pipe(data, true);
    Input in(pipe.read_end, "-");
    std::string got;
    EXPECT_NO_THROW(got = read_all(in));
    EXPECT_EQ(got, data);
}

void on_signal(int) {}

// Signals that interrupt a read or a wait (a handler installed without
// SA_RESTART) make the reader read again, blocking descriptor or not.
TEST(Input, InterruptedReadsAndWaitsAreRetried) {
    struct sigaction action{}, previous{};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    for (const bool non_blocking : {false, true}) {
        const std::string data = pattern(20000, 'k');
        SlowWriter pipe(data, non_blocking);
        const pthread_t reader = ::pthread_self();
        std::atomic<bool> reading = true;
        std::thread interrupter([&reading, reader] {
            while (reading) {
                ::pthread_kill(reader, SIGUSR1);
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
        });
        Input in(pipe.read_end, "-");
        std::string got;
        EXPECT_NO_THROW(got = read_all(in)) << (non_blocking ? "non-blocking" : "blocking");
        reading = false;
        interrupter.join();
        EXPECT_EQ(got, data) << (non_blocking ? "non-blocking" : "blocking");
    }
    ::sigaction(SIGUSR1, &previous, nullptr);
}

// A read that fails otherwise still ends the run with the input's name.
TEST(Input, FailedReadIsReported) {
    const int folder = ::open("/", O_RDONLY | O_DIRECTORY);
    Input in(folder, "folder");
    try {
        in.FGETC();
        ADD_FAILURE() << "no error";
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.what(), "Couldn't read input file 'folder'\n");
    }
    ::close(folder);
}

// Writing in place through room_for, where the buffer has the room, and
// byte by byte where it has not, hands the sink the blocks that CPUT alone
// hands it: the buffer goes out at the same byte.
TEST(Output, RoomForKeepsTheBlocksOfCput) {
    const std::string text = pattern(50000, 'a');
    const std::string source = text + std::string(CHUNK, ' ');  // the slack the chunk copies read
    BlockSink bytewise, in_place;
    Output a(bytewise), b(in_place);
    for (const char c : text) a.CPUT(c);
    a.CFLUSH();
    for (std::size_t done = 0, piece = 1; done < text.size(); done += piece, piece = piece % 40 + 1) {
        piece = std::min(piece, text.size() - done);
        if (char* to = b.room_for(piece + CHUNK)) {
            copy_chunks(to, source.data() + done, piece);
            b.commit(piece);
        } else {
            for (std::size_t k = 0; k < piece; ++k) b.CPUT(text[done + k]);
        }
    }
    b.CFLUSH();
    EXPECT_EQ(in_place.blocks, bytewise.blocks);
    EXPECT_EQ(in_place.bytes, bytewise.bytes);
}

// The file sink writes through the descriptor: a non-blocking pipe that is
// full is waited for, and every byte arrives in order.
TEST(FileSink, WaitsForAFullNonBlockingPipe) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK), 0);
    std::FILE* file = ::fdopen(ends[1], "w");
    ASSERT_NE(file, nullptr);
    const std::string data = pattern(400000, 'k');
    std::string got;
    std::thread reader([&got, fd = ends[0]] {
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    {
        FileSink sink(file, "-");
        Output out(sink);
        EXPECT_NO_THROW(out.CPUTS(std::string_view(data)));
        EXPECT_NO_THROW(out.CFLUSH());
    }
    std::fclose(file);
    reader.join();
    ::close(ends[0]);
    EXPECT_EQ(got, data);
}

// A write that fails ends the run with the output's name.
TEST(FileSink, FailedWriteIsReported) {
    std::FILE* file = std::fopen("/dev/null", "r");
    ASSERT_NE(file, nullptr);
    FileSink sink(file, "out.u");
    try {
        sink.write("abc", 3);
        ADD_FAILURE() << "no error";
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.what(), "Couldn't write output file 'out.u'\n");
    }
    std::fclose(file);
}

// A pipe is widened, from either end, without losing what it holds; one
// already wider, and anything that is not a pipe, are left as they are.
TEST(WidenPipe, GrowsPipesOnly) {
    // Widths any user may set (the system's limit is 1 MiB by default).
    constexpr int wide = 256 * 1024;
    struct Case {
        const char* what;
        int before;   // width set first (0: the system's default)
        bool reader;  // widened through the reading end
    };
    for (const Case c : {Case{"default, from the reading end", 0, true}, Case{"default, from the writing end", 0, false},
                         Case{"already wider", 2 * wide, true}}) {
        SCOPED_TRACE(c.what);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        if (c.before != 0 && ::fcntl(ends[0], F_SETPIPE_SZ, c.before) < 0) {
            // Wider than this user may make a pipe: nothing to check.
            ::close(ends[0]);
            ::close(ends[1]);
            continue;
        }
        const int was = ::fcntl(ends[0], F_GETPIPE_SZ);
        ASSERT_EQ(::write(ends[1], "held", 4), 4);
        widen_pipe(c.reader ? ends[0] : ends[1], wide);
        const int now = ::fcntl(ends[0], F_GETPIPE_SZ);
        if (c.before == 0) {
            EXPECT_EQ(now, wide);
        } else {
            EXPECT_EQ(now, was) << "never narrowed";
        }
        char got[8] = {};
        EXPECT_EQ(::read(ends[0], got, sizeof got), 4);
        EXPECT_STREQ(got, "held");
        ::close(ends[0]);
        ::close(ends[1]);
    }
    ScratchFile file("abc");
    const int fd = ::open(file.name(), O_RDONLY);
    widen_pipe(fd);
    char got[4] = {};
    EXPECT_EQ(::read(fd, got, 3), 3) << "a regular file reads as before";
    ::close(fd);
    widen_pipe(-1);
}

}  // namespace
}  // namespace marlune::io
