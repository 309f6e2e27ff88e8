#include "compress/compactor.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/fatal.hpp"
#include "io/output.hpp"

namespace marlune::compress {

void Compactor::allocate() {
    // Also where a whole line is written when the output buffer has not
    // the room for it (see Line::room()).
    tmp_buf.reset(new (std::nothrow) char[std::max<std::size_t>(PIECE_SIZE, BUFFER_SIZE + io::CHUNK)]);
    buffer.reset(new (std::nothrow) char[BUFFER_SIZE + io::CHUNK]());
    if (!tmp_buf || !buffer) fatal("Out of memory\n");
    L = 0;
}

void Compactor::overflow(std::int64_t line) {
    fatal("Out of bufferspace while printing segment at line %lld\n", static_cast<long long>(line));
}

void Compactor::cprintf(io::Output& out, std::int64_t line, Separators sep, const char* format, ...) {
    if (!tmp_buf) allocate();
    if (format == nullptr) {
        flush(out, line, sep);
        return;
    }
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(tmp_buf.get(), PIECE_SIZE, format, args);
    va_end(args);
    const std::size_t length = std::strlen(tmp_buf.get());
    if (length == 1) {
        put(out, line, sep, tmp_buf[0]);
    } else if (length == 2) {
        put_pair(out, line, sep, tmp_buf[0], tmp_buf[1]);
    } else if (length > 2) {
        grow(line, length);
        take(out, sep, tmp_buf.get(), length);
    }
}

void Compactor::put_pair(io::Output& out, std::int64_t line, Separators sep, char first, char second) {
    if (first == '\0') {
        if (!buffer) allocate();
        return;
    }
    if (second == '\0') {
        put(out, line, sep, first);
        return;
    }
    if (!buffer) allocate();
    grow(line, 2);
    const char pair[2] = {first, second};
    if (!open_release && sep.release != 0 && static_cast<signed char>(first) == sep.release) {
        data(out, pair, 2);
    } else {
        take(out, sep, pair, 2);
    }
}

void Compactor::put_data(io::Output& out, std::int64_t line, Separators, std::string_view run) {
    if (run.empty()) return;
    if (!buffer) allocate();
    const std::size_t length = run.size();
    const auto pending = static_cast<std::size_t>(L);
    const auto from = static_cast<std::size_t>(BEGINALFA);
    if (pending + length > from) {
        // Taken a character at a time, the run would be appended up to the
        // character at the release position, which writes everything. If
        // that position is the end of the buffer, the first character past
        // it ends the run instead, after those before it were appended (the
        // longest length is already the limit then: the release position
        // never passes a length the pending text has had).
        if (BEGINALFA >= BUFFER_SIZE) {
            const std::size_t fit = static_cast<std::size_t>(BUFFER_SIZE) - pending;
            if (fit != 0) {
                std::memcpy(buffer.get() + pending, run.data(), fit);
                L = BUFFER_SIZE;
                held_separators = held_components = 0;
                open_release = false;
            }
            overflow(line);
        }
        if (MAXL_CPRINTF < BEGINALFA + 1) MAXL_CPRINTF = BEGINALFA + 1;
    } else if (static_cast<std::size_t>(MAXL_CPRINTF) < pending + length) {
        MAXL_CPRINTF = static_cast<int>(pending + length);
    }
    open_release = false;
    data(out, run.data(), length);
}

void Compactor::put_separators(io::Output& out, std::int64_t line, Separators sep, char c, std::size_t count) {
    // Until the buffer exists and no lone release character escapes the
    // first of them, they go one at a time (at most twice).
    for (; count != 0 && (!buffer || open_release); --count) put_separator(out, line, sep, c);
    if (count == 0) return;
    const auto s = static_cast<signed char>(c);
    const bool element = s == sep.element;
    // An element separator drops the component separators held before it;
    // the run's copies then stand one after the other from `start`.
    const std::size_t before = static_cast<std::size_t>(L);
    const std::size_t start = element ? before - static_cast<std::size_t>(held_components) : before;
    const std::size_t end = start + count;
    // The longest pending length seen by the calls' checks: the length
    // before the first call, or before the last one.
    const std::size_t highest = std::max(element ? before : 0, end - 1) + 1;
    if (s == sep.terminator || (s != sep.component && !element) || highest > static_cast<std::size_t>(BUFFER_SIZE)) {
        for (; count != 0; --count) put_separator(out, line, sep, c);
        return;
    }
    if (highest > static_cast<std::size_t>(MAXL_CPRINTF)) MAXL_CPRINTF = static_cast<int>(highest);
    std::memset(buffer.get() + start, c, count);
    const int n = static_cast<int>(count);
    if (element) {
        held_separators -= held_components;
        held_components = 0;
    } else {
        held_components += n;
    }
    held_separators += n;
    L = static_cast<int>(end);
    if (BEGINALFA < L) BEGINALFA = L;
}

void Compactor::flush(io::Output& out, std::int64_t, Separators) {
    if (!buffer) allocate();
    if (L != 0) out.CPUTS(std::string_view(buffer.get(), static_cast<std::size_t>(L)));
    L = 0;
    held_separators = held_components = 0;
    open_release = false;
}

void Compactor::take(io::Output& out, Separators sep, const char* piece, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        std::size_t end = i;
        for (; end < length; ++end) {
            const auto c = static_cast<signed char>(piece[end]);
            if (open_release) {
                open_release = false;
            } else if (sep.release != 0 && c == sep.release) {
                open_release = true;
            } else if (is_separator(c, sep)) {
                break;
            }
        }
        if (end > i) data(out, piece + i, end - i);
        if (end < length) separator(out, sep, piece[end++]);
        i = end;
    }
}

}  // namespace marlune::compress
