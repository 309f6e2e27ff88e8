#pragma once
// The segment output compactor: everything the compression writes goes
// through cprintf, which holds separators back until data follows them, so
// that the separators of trailing empty data elements and components are
// dropped when the segment ends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "common/separators.hpp"

namespace marlune::io {
class Output;
}

namespace marlune::compress {

class Compactor {
public:
    // Room of the pending text, and of one call's formatted piece.
    static constexpr int BUFFER_SIZE = 16384;
    static constexpr int PIECE_SIZE = 16386;

    // Appends the formatted piece (printf-style; the piece ends at its first
    // NUL byte, so a "%c" of 0 contributes nothing). A null format flushes:
    // whatever is still pending is written.
    [[gnu::format(printf, 5, 6)]] void cprintf(io::Output& out, std::int64_t line, Separators sep, const char* format,
                                               ...);

    // The same as cprintf with "%c" and "%c%c", without the formatting cost.
    void put(io::Output& out, std::int64_t line, Separators sep, char c);
    void put_pair(io::Output& out, std::int64_t line, Separators sep, char first, char second);

    // A run of data characters, none of them a separator, the release
    // character or NUL: the same as one put() per character, except that
    // while nothing is pending the characters go straight to the output.
    void put_data(io::Output& out, std::int64_t line, Separators sep, std::string_view run);

    // cprintf without a format.
    void flush(io::Output& out, std::int64_t line, Separators sep);

    // State, for checks.
    int pending_length() const noexcept { return L; }
    const char* pending() const noexcept { return buffer ? buffer.get() : ""; }
    int begin_alfa() const noexcept { return BEGINALFA; }
    int longest_pending() const noexcept { return MAXL_CPRINTF; }

private:
    void allocate();
    void append(io::Output& out, std::int64_t line, Separators sep, const char* piece, std::size_t length);
    void compact(io::Output& out, Separators sep);
    void release(io::Output& out, Separators sep);

    bool escaped(int i, Separators sep) const noexcept;
    bool is_separator(int i, signed char which, Separators sep) const noexcept;
    bool is_any_separator(int i, Separators sep) const noexcept;
    void erase(int from, int count) noexcept;

    std::unique_ptr<char[]> buffer;   // the pending text, NUL-terminated
    std::unique_ptr<char[]> tmp_buf;  // one call's piece
    int L = 0;
    int BEGINALFA = 0;
    int MAXL_CPRINTF = 0;
};

}  // namespace marlune::compress
