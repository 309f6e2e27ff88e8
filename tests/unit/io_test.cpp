#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "io/input.hpp"
#include "io/output.hpp"

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

TEST(Output, NoNewlineDropsLineEnds) {
    StringSink sink;
    Output out(sink);
    out.NONEWLINE = 1;
    out.CPUTS("A\r\nB");
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "AB");
}

TEST(Output, FlushesInBlocksOf16383) {
    StringSink sink;
    Output out(sink);
    for (int i = 0; i < 16383; ++i) out.CPUT('x');
    EXPECT_EQ(sink.data().size(), 0u) << "16,383 bytes stay in the buffer";
    out.CPUT('y');
    EXPECT_EQ(sink.data().size(), 16383u) << "the next byte writes them out first";
    EXPECT_EQ(out.CLEN, 1);
    out.CFLUSH();
    EXPECT_EQ(sink.data().size(), 16384u);
    EXPECT_EQ(sink.data().back(), 'y');
}

TEST(Output, NulBytesAreWrittenWithTheRest) {
    StringSink sink;
    Output out(sink);
    out.CPUTS(std::string_view("a\0b", 3));
    out.CFLUSH();
    EXPECT_EQ(sink.data(), std::string("a\0b", 3));
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

}  // namespace
}  // namespace marlune::io
