#pragma once
// Buffered byte input: the whole program reads its input one byte at a time
// through FGETC. Blocks of 16,384 bytes are read straight from the file
// descriptor (or copied from memory for in-process runs), with no per-byte
// call into the C library.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlune::io {

// The value FGETC returns once the input has no more bytes.
inline constexpr int END_OF_INPUT = 26;

class Input {
public:
    static constexpr std::size_t BLOCK = 16384;

    // Reads the open descriptor `fd`; `name` is quoted if a read fails.
    Input(int fd, std::string name);
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

    // The byte FGETC will deliver next, without delivering it (END_OF_INPUT
    // at the end); may refill the block.
    int peek() {
        if (INBUF == BUFLEN && !refill()) return END_OF_INPUT;
        return static_cast<signed char>(FBUF[static_cast<std::size_t>(INBUF)]);
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

    // Number of reads made from the descriptor or the memory source.
    std::uint64_t reads() const noexcept { return reads_; }

private:
    bool refill();

    std::array<char, BLOCK> FBUF{};
    std::int32_t BUFLEN = 0;
    std::int32_t INBUF = 0;

    bool ended_ = false;  // a read delivered nothing: the end is final
    std::uint64_t reads_ = 0;
    int fd_ = -1;
    std::string name_;
    std::string_view memory_;
    std::size_t chunk_ = BLOCK;
};

}  // namespace marlune::io
