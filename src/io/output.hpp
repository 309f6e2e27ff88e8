#pragma once
// Buffered byte output. Converted data is collected in CBUF, which takes
// eight blocks of 16,383 bytes, and handed to the sink when it is full and
// at the end of the run; -n (NONEWLINE) drops every carriage return and line
// feed on the way in. A block counts as written once the byte after it has
// arrived: that is what a run that fails keeps (write_complete_blocks), so
// that where the blocks go out in eights rather than one at a time shows
// only in how few writes a large output takes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "io/pages.hpp"

namespace marlune::io {

// Copies and fills a chunk of sixteen bytes at a time, for loops that write
// into the output buffer in place (Output::room_for): at least one chunk,
// even for an `n` of 0, and up to fifteen bytes past the `n` are read (the
// source must have that slack) and written (the room must have it, and
// later writes replace them). Most values and fills take one chunk, with
// no loop.
inline constexpr std::size_t CHUNK = 16;
inline void copy_chunks(char* to, const char* from, std::size_t n) noexcept {
    std::memcpy(to, from, CHUNK);
    for (std::size_t k = CHUNK; k < n; k += CHUNK) std::memcpy(to + k, from + k, CHUNK);
}
inline void fill_chunks(char* to, char c, std::size_t n) noexcept {
    char chunk[CHUNK];
    std::memset(chunk, c, CHUNK);
    std::memcpy(to, chunk, CHUNK);
    for (std::size_t k = CHUNK; k < n; k += CHUNK) std::memcpy(to + k, chunk, CHUNK);
}

// Where the output blocks go. Called once per block, never per byte.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const char* data, std::size_t size) = 0;
};

// A C stream (standard output or the output file), written through its
// descriptor: each block goes straight to the file with no copy into the
// stream's buffer, which stays empty. A failed write ends the run with
// "Couldn't write output file '<name>'", and nothing more is written.
class FileSink final : public ByteSink {
public:
    FileSink(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}
    void write(const char* data, std::size_t size) override;
    // Flushes the stream and, unless it is standard output, closes it;
    // reports a failure like a failed write.
    void close();
    const std::string& name() const noexcept { return name_; }

private:
    [[noreturn]] void fail();

    std::FILE* file_;
    std::string name_;
    bool failed_ = false;
};

// Collects everything in memory (tests, fuzzing).
class StringSink final : public ByteSink {
public:
    void write(const char* data, std::size_t size) override { data_.append(data, size); }
    const std::string& data() const noexcept { return data_; }

private:
    std::string data_;
};

// A run makes its Output with `new`, in pages of its own (io/pages.hpp).
class Output : public InOwnPages {
public:
    // Bytes in a block, and blocks in the buffer; SIZE - 1 bytes are held.
    static constexpr std::size_t BLOCK = 16383;
    static constexpr std::size_t BLOCKS = 8;
    static constexpr std::size_t SIZE = BLOCKS * BLOCK + 1;

    explicit Output(ByteSink& sink) : sink_(sink) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void CPUT(int c) {
        const auto byte = static_cast<unsigned char>(c);
        if (NONEWLINE && (byte == 0x0A || byte == 0x0D)) return;
        if (CLEN > static_cast<std::int32_t>(SIZE) - 2) CFLUSH();
        CBUF[static_cast<std::size_t>(CLEN++)] = static_cast<char>(byte);
    }

    // A NUL-terminated text, byte by byte under the rules of CPUT.
    void CPUTS(const char* text) {
        while (*text) CPUT(*text++);
    }
    // A text of known length (NUL bytes included), under the rules of CPUT
    // but copied a run at a time.
    void CPUTS(std::string_view text) {
        if (NONEWLINE) {
            put_without_line_ends(text.data(), text.size());
        } else {
            put_run(text.data(), text.size());
        }
    }
    // Bytes written as they stand, line ends too under -n.
    void put_verbatim(std::string_view text) {
        const int saved = NONEWLINE;
        NONEWLINE = 0;
        CPUTS(text);
        NONEWLINE = saved;
    }
    // `count` copies of one byte.
    void fill(char c, std::ptrdiff_t count) {
        if (count <= 0 || (NONEWLINE && (c == '\n' || c == '\r'))) return;
#if defined(__SSE2__)
        // The fill of a field (most are short) where it fits without a
        // flush: stored sixteen bytes at a time without a call, the last
        // store reaching past the fill into room that is written later.
        if (count <= 64 && CLEN + 64 <= static_cast<std::int32_t>(SIZE) - 1) {
            const __m128i bytes = _mm_set1_epi8(c);
            char* to = CBUF.data() + CLEN;
            for (std::ptrdiff_t k = 0; k < count; k += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k), bytes);
            CLEN += static_cast<std::int32_t>(count);
            return;
        }
#endif
        for (auto n = static_cast<std::size_t>(count); n != 0;) {
            std::size_t k;
            char* to = reserve(n, k);
            std::memset(to, c, k);
            commit(k);
            n -= k;
        }
    }
    // Direct access for copying loops: room for up to `wanted` bytes (at
    // least one, after the flush that CPUT would make), to be filled and then
    // committed. The caller keeps carriage returns and line feeds out while
    // NONEWLINE is set.
    char* reserve(std::size_t wanted, std::size_t& room) {
        room = make_room(wanted);
        return CBUF.data() + CLEN;
    }
    void commit(std::size_t n) noexcept { CLEN += static_cast<std::int32_t>(n); }
    // Room for `n` bytes where the buffer has it without a flush (nullptr
    // where it has not): the bytes are written in place and committed, and
    // the buffer goes out at the same byte as it would with CPUT.
    char* room_for(std::size_t n) noexcept {
        return static_cast<std::size_t>(CLEN) + n <= SIZE - 1 ? CBUF.data() + CLEN : nullptr;
    }

    // Hands the buffered bytes to the sink and empties the buffer.
    void CFLUSH();
    // For a run that fails: hands the sink the blocks that a byte after
    // them has completed, and keeps the rest (as one block at a time would
    // have written them).
    void write_complete_blocks();

    int NONEWLINE = 0;
    std::int32_t CLEN = 0;

private:
    // Flushes a full buffer the way CPUT does (at 16,383 bytes) and returns
    // how many of `wanted` bytes fit before the next flush.
    std::size_t make_room(std::size_t wanted) {
        if (CLEN > static_cast<std::int32_t>(SIZE) - 2) CFLUSH();
        const std::size_t room = SIZE - 1 - static_cast<std::size_t>(CLEN);
        return wanted < room ? wanted : room;
    }
    void put_run(const char* data, std::size_t n) {
        if (n <= 16 && static_cast<std::size_t>(CLEN) + n <= SIZE - 1) {
            // A short run (a value, a pending separator or two) is copied
            // without a call: two overlapping fixed-size copies.
            char* to = CBUF.data() + CLEN;
            if (n >= 8) {
                std::memcpy(to, data, 8);
                std::memcpy(to + n - 8, data + n - 8, 8);
            } else if (n >= 4) {
                std::memcpy(to, data, 4);
                std::memcpy(to + n - 4, data + n - 4, 4);
            } else if (n != 0) {
                to[0] = data[0];
                to[n / 2] = data[n / 2];
                to[n - 1] = data[n - 1];
            }
            CLEN += static_cast<std::int32_t>(n);
            return;
        }
        while (n != 0) {
            std::size_t k;
            char* to = reserve(n, k);
            std::memcpy(to, data, k);
            commit(k);
            data += k;
            n -= k;
        }
    }
    void put_without_line_ends(const char* data, std::size_t n) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (data[i] == '\n' || data[i] == '\r') {
                put_run(data + start, i - start);
                start = i + 1;
            }
        }
        put_run(data + start, n - start);
    }

    std::array<char, SIZE> CBUF;
    ByteSink& sink_;
};

}  // namespace marlune::io
