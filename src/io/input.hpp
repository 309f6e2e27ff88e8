#pragma once
// Buffered byte input: the whole program reads its input one byte at a time
// through FGETC. Blocks of up to 262,144 bytes (524,288 from a pipe) are
// read straight from the file descriptor (or copied from memory for
// in-process runs), with no per-byte call into the C library. A read
// returns what the descriptor has ready (a pipe or a terminal delivers
// less), so the size of the block only sets how few reads a large input
// takes, never when a byte is delivered.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "io/pages.hpp"

namespace marlune::io {

// The value FGETC returns once the input has no more bytes.
inline constexpr int END_OF_INPUT = 26;

// No bound on the bytes read from a descriptor.
inline constexpr std::uint64_t NO_LIMIT = std::numeric_limits<std::uint64_t>::max();

// The bytes that `fd` holds now from its current offset on, when it is a
// regular file; NO_LIMIT for anything else (a pipe, a terminal, a device).
// Taken when a run opens its input, this bounds what the run reads: nothing
// appended during the run (its own diagnostics on standard error redirected
// onto the input, or another writer) is read back.
std::uint64_t regular_file_remainder(int fd);

// A run makes its Input with `new`, in pages of its own (io/pages.hpp).
class Input : public InOwnPages {
public:
    static constexpr std::size_t BLOCK = 262144;
    // A pipe is read in blocks of up to twice that: each read of a pipe
    // costs more than one of a file, and may wake its writer.
    static constexpr std::size_t PIPE_BLOCK = 2 * BLOCK;
    // Bytes after the block that can always be read (never delivered): a
    // scan may load sixty-four bytes from any pending position and ignore
    // those past the pending ones.
    static constexpr std::size_t SLACK = 64;

    // Reads the open descriptor `fd`, at most `limit` bytes; `name` is
    // quoted if a read fails. A descriptor in non-blocking mode is waited
    // for whenever it has no data yet, as a blocking one would be.
    Input(int fd, std::string name, std::uint64_t limit = NO_LIMIT);
    // Reads `data` (not copied: it must outlive the Input), delivering at
    // most `chunk` bytes per refill, as a pipe or a terminal would.
    explicit Input(std::string_view data, std::size_t chunk = BLOCK);

    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // The next byte as a signed character value, or END_OF_INPUT when the
    // input is used up (FEOF is then true). Once a read has delivered
    // nothing, the end is final: the descriptor is not read again, so that a
    // terminal user presses Ctrl-D once.
    int FGETC() {
        if (INBUF == BUFLEN && !refill()) return END_OF_INPUT;
        const auto c = static_cast<signed char>(FBUF[static_cast<std::size_t>(INBUF++)]);
        if (c == '\n') ++LINENO;
        return c;
    }

    // 1 before the first refill and whenever the last refill delivered no
    // bytes; 0 otherwise. Call FGETC first, FEOF after it.
    int FEOF() const noexcept { return BUFLEN == 0 ? 1 : 0; }

    // Current input line: 1 at start, plus one per line feed delivered.
    // 64 bits, so that no input is long enough to make it wrap.
    std::int64_t LINENO = 1;

    // Bytes of the current block not delivered yet (for loops that consume
    // a block at a time; they must keep LINENO themselves).
    std::string_view pending() const noexcept {
        return {FBUF.data() + INBUF, static_cast<std::size_t>(BUFLEN - INBUF)};
    }
    void consume(std::size_t n) noexcept { INBUF += static_cast<std::int32_t>(n); }

    // Makes the first read before any byte is delivered, so that a run can
    // tell an unreadable input (a folder, a closed descriptor) before it
    // creates its output. Delivers nothing: FGETC starts with that block.
    void prefetch() {
        if (INBUF == BUFLEN && !ended_) refill();
    }

    // Up to `n` bytes ahead, without delivering them: reads more when the
    // block holds fewer (moving what is pending to the front), unless the
    // input has ended. Shorter only at the end of the input. LINENO counts
    // them when they are delivered.
    std::string_view peek(std::size_t n);

    // Number of reads made from the descriptor or the memory source.
    std::uint64_t reads() const noexcept { return reads_; }

private:
    bool refill();
    // One read into `to`, of at most `room` bytes (and no further than the
    // limit); 0 at the end of the input, which is then final.
    std::size_t read_into(char* to, std::size_t room);
    std::size_t read_block(char* to, std::size_t size);
    void wait_for_data();

    // Only the bytes delivered and the slack after them are ever read: every
    // read zeroes the slack after what it delivered, so that the rest of the
    // array is left as it is (a run's pages come zeroed, and those a run
    // never reads into are never touched).
    std::array<char, PIPE_BLOCK + SLACK> FBUF;
    void define_slack() noexcept { std::memset(FBUF.data() + BUFLEN, 0, SLACK); }
    std::int32_t BUFLEN = 0;
    std::int32_t INBUF = 0;

    bool ended_ = false;  // a read delivered nothing: the end is final
    std::uint64_t reads_ = 0;
    int fd_ = -1;
    std::uint64_t left_ = NO_LIMIT;  // bytes the descriptor may still deliver
    std::string name_;
    std::string_view memory_;
    std::size_t chunk_ = BLOCK;
    std::size_t block_ = BLOCK;  // bytes a read asks for
};

}  // namespace marlune::io
