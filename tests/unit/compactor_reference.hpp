#pragma once
// The per-character compactor the production one must match, kept for the
// equivalence tests only. It appends every piece to a flat text and rescans
// that text after each call: simple to check against the rules by eye, and
// slow (a call can cost as much as the pending length).
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "common/fatal.hpp"
#include "common/separators.hpp"
#include "io/output.hpp"

namespace marlune::compress::reference {

class Compactor {
public:
    static constexpr int BUFFER_SIZE = 16384;
    static constexpr int PIECE_SIZE = 16386;

    [[gnu::format(printf, 5, 6)]] void cprintf(io::Output& out, std::int64_t line, Separators sep,
                                               const char* format, ...) {
        if (!tmp_buf) allocate();
        if (format == nullptr) {
            flush(out, line, sep);
            return;
        }
        std::va_list args;
        va_start(args, format);
        std::vsnprintf(tmp_buf.get(), PIECE_SIZE, format, args);
        va_end(args);
        append(out, line, sep, tmp_buf.get(), std::strlen(tmp_buf.get()));
    }

    void put(io::Output& out, std::int64_t line, Separators sep, char c) {
        if (!tmp_buf) allocate();
        append(out, line, sep, &c, c == '\0' ? 0 : 1);
    }

    void put_pair(io::Output& out, std::int64_t line, Separators sep, char first, char second) {
        if (!tmp_buf) allocate();
        const char pair[2] = {first, second};
        append(out, line, sep, pair, first == '\0' ? 0 : second == '\0' ? 1 : 2);
    }

    // Strictly one put() per character.
    void put_data(io::Output& out, std::int64_t line, Separators sep, std::string_view run) {
        for (const char c : run) put(out, line, sep, c);
    }

    void flush(io::Output& out, std::int64_t line, Separators sep) {
        if (!tmp_buf) allocate();
        append(out, line, sep, "", 0);
        out.CPUTS(std::string_view(buffer.get(), static_cast<std::size_t>(L)));
        L = 0;
        buffer[0] = '\0';
    }

    int pending_length() const noexcept { return L; }
    std::string_view pending() const noexcept {
        return buffer ? std::string_view(buffer.get(), static_cast<std::size_t>(L)) : std::string_view();
    }
    int begin_alfa() const noexcept { return BEGINALFA; }
    int longest_pending() const noexcept { return MAXL_CPRINTF; }

private:
    void allocate() {
        tmp_buf.reset(new (std::nothrow) char[PIECE_SIZE]);
        buffer.reset(new (std::nothrow) char[BUFFER_SIZE + 1]);
        if (!tmp_buf || !buffer) fatal("Out of memory\n");
        buffer[0] = '\0';
        L = 0;
    }

    // A character is escaped when an odd number of release characters stands
    // right before it (the pending text never begins inside an escape pair).
    bool escaped(int i, Separators sep) const noexcept {
        if (sep.release == 0) return false;
        int run = 0;
        while (i - run > 0 && buffer[i - run - 1] == sep.release) ++run;
        return (run & 1) != 0;
    }
    bool is_separator(int i, signed char which, Separators sep) const noexcept {
        return buffer[i] == which && !escaped(i, sep);
    }
    bool is_any_separator(int i, Separators sep) const noexcept {
        const signed char c = buffer[i];
        return (c == sep.element || c == sep.component || c == sep.terminator) && !escaped(i, sep);
    }
    void erase(int from, int count) noexcept {
        std::memmove(buffer.get() + from, buffer.get() + from + count,
                     static_cast<std::size_t>(L - from - count + 1));
        L -= count;
    }

    void append(io::Output& out, std::int64_t line, Separators sep, const char* piece, std::size_t length) {
        const long grown = static_cast<long>(L) + static_cast<long>(length);
        if (grown > MAXL_CPRINTF) {
            if (grown > BUFFER_SIZE)
                fatal("Out of bufferspace while printing segment at line %lld\n", static_cast<long long>(line));
            MAXL_CPRINTF = static_cast<int>(grown);
        }
        std::memcpy(buffer.get() + L, piece, length);
        L = static_cast<int>(grown);
        buffer[L] = '\0';
        compact(out, sep);
    }

    void compact(io::Output& out, Separators sep) {
        // The last separator of any kind.
        int last = L - 1;
        while (last >= 0 && !is_any_separator(last, sep)) --last;

        if (last >= 0 && buffer[last] == sep.terminator) {
            // Separators right before the terminator go.
            int run = last;
            while (run > 0 && (is_separator(run - 1, sep.element, sep) || is_separator(run - 1, sep.component, sep)))
                --run;
            erase(run, last - run);
            last = run;
            // Component separators right before an element separator go.
            for (int i = last - 1; i > 0; --i) {
                if (is_separator(i, sep.element, sep) && is_separator(i - 1, sep.component, sep)) {
                    erase(i - 1, 1);
                    --last;
                }
            }
            for (int i = 0; i <= last; ++i) out.CPUT(buffer[i]);
            erase(0, last + 1);
            return;
        }

        // Component separators held before an element separator go when it arrives.
        int i = L - 1;
        while (i >= 0 && (is_separator(i, sep.component, sep) || is_separator(i, sep.terminator, sep))) --i;
        if (i >= 0 && is_separator(i, sep.element, sep)) {
            int run = i;
            while (run > 0 && is_separator(run - 1, sep.component, sep)) --run;
            erase(run, i - run);
            if (buffer[L] != '\0') fatal("Error!\n");
        }
        release(out, sep);
    }

    void release(io::Output& out, Separators sep) {
        if (L == 0) return;
        int i = BEGINALFA;
        while (i < L && (is_separator(i, sep.element, sep) || is_separator(i, sep.component, sep))) ++i;
        BEGINALFA = i;
        int end = i;
        while (end < L && !is_any_separator(end, sep)) ++end;
        if (end == i) return;
        out.CPUTS(std::string_view(buffer.get(), static_cast<std::size_t>(end)));
        erase(0, end);
        BEGINALFA = 0;
        if (buffer[L] != '\0') fatal("Error2!\n");
    }

    std::unique_ptr<char[]> buffer;   // the pending text, NUL-terminated
    std::unique_ptr<char[]> tmp_buf;  // one call's piece
    int L = 0;
    int BEGINALFA = 0;
    int MAXL_CPRINTF = 0;
};

}  // namespace marlune::compress::reference
