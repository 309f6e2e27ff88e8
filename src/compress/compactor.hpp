#pragma once
// The segment output compactor: everything the compression writes goes
// through it. It holds separators back until data follows them, so that the
// separators of trailing empty data elements and components are dropped when
// the segment ends, and component separators standing right before an element
// separator are dropped when that element separator arrives.
//
// How the pending text behaves, call by call. The release position
// (begin_alfa) is where the last skip over held separators stopped; a data
// character at or beyond it releases everything pending, and it is not moved
// back when held separators are dropped. After every call:
//   - the pending text holds no terminator (a terminator writes everything
//     up to it at once) and no component separator directly before an
//     element separator (those go when the element separator arrives);
//   - the pending length is at most the release position, so data can only
//     be pending below it (typically the line end after a terminator, and the
//     start of the next segment, while the release position is still that of
//     the previous segment's held separators).
// So a call only ever touches the end of the pending text: the run of
// element and component separators standing there (and its trailing
// component separators) is counted as it grows, an arriving element
// separator drops the counted component separators, a terminator drops the
// counted run and writes the rest, and data is either appended below the
// release position or written together with everything pending. Each
// character is copied in once and written or dropped once: O(1) per call
// amortised, whatever the pending length.
//
// The calls are those of the compression: nothing, one character, an escape
// pair (the release character and the character it escapes), or a run of
// data characters, always with the same separator set, whose three
// separators differ from each other and from the release character. A piece
// of another shape (a longer cprintf piece holding separators, a two-character
// piece that is not an escape pair and holds a separator, an escape pair right
// after a lone release character) is checked against the limit as a whole and
// then taken a character at a time, escape pairs kept together.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/definition.hpp"
#include "common/separators.hpp"

#include "io/output.hpp"

namespace marlune::compress {

class Compactor {
public:
    // Room of the pending text, and of one call's formatted piece.
    static constexpr int BUFFER_SIZE = 16384;
    static constexpr int PIECE_SIZE = 16386;

    // Appends the formatted piece (printf-style; the piece ends at its first
    // NUL byte, so a "%c" of 0 contributes nothing). A null format flushes:
    // whatever is still pending is written.
    [[gnu::format(printf, 5, 6)]] void cprintf(io::Output& out, std::int64_t line, Separators sep,
                                               const char* format, ...);

    // The same as cprintf with "%c" and "%c%c", without the formatting cost.
    void put(io::Output& out, std::int64_t line, Separators sep, char c);
    // put() of a character that is one of the three separators, for the
    // compression's per-field path.
    void put_separator(io::Output& out, std::int64_t line, Separators sep, char c);
    // `count` put_separator() calls with the same character, counted rather
    // than taken one at a time: the same pending text, release position,
    // longest length, and the overflow in the same call (a run that would
    // reach the limit is taken one at a time).
    void put_separators(io::Output& out, std::int64_t line, Separators sep, char c, std::size_t count);
    void put_pair(io::Output& out, std::int64_t line, Separators sep, char first, char second);

    // A run of data characters, none of them a separator, the release
    // character or NUL: the same as one put() per character, at the cost of
    // one copy of the run (into the pending text, or straight to the output
    // together with what is pending).
    void put_data(io::Output& out, std::int64_t line, Separators sep, std::string_view run);

    // cprintf without a format.
    void flush(io::Output& out, std::int64_t line, Separators sep);

    class Line;
    // Whether a whole line that hands the compactor at most `bound`
    // characters can be written through a Line: the buffer exists, no lone
    // release character is open, and the pending text cannot reach the
    // limit on the way.
    bool takes_line(std::size_t bound) const noexcept {
        return buffer && !open_release && static_cast<std::size_t>(L) + bound < static_cast<std::size_t>(BUFFER_SIZE);
    }

    // State, for checks.
    int pending_length() const noexcept { return L; }
    std::string_view pending() const noexcept {
        return buffer ? std::string_view(buffer.get(), static_cast<std::size_t>(L)) : std::string_view();
    }
    int begin_alfa() const noexcept { return BEGINALFA; }
    int longest_pending() const noexcept { return MAXL_CPRINTF; }

private:
    void allocate();
    // Accounts for a piece of `length` characters about to be appended; ends
    // the run if the pending text would outgrow the buffer.
    void grow(std::int64_t line, std::size_t length);
    [[noreturn]] static void overflow(std::int64_t line);

    // One piece of characters, none of them NUL, already accounted for.
    void take(io::Output& out, Separators sep, const char* piece, std::size_t length);
    // Data characters, already accounted for.
    void data(io::Output& out, const char* run, std::size_t length);
    // One separator that is not escaped.
    void separator(io::Output& out, Separators sep, char c);
    static bool is_separator(signed char c, Separators sep) noexcept;

    std::unique_ptr<char[]> buffer;   // the pending text, with a chunk of slack after it
    std::unique_ptr<char[]> tmp_buf;  // one cprintf call's piece
    int L = 0;                        // pending length
    int BEGINALFA = 0;                // release position
    int MAXL_CPRINTF = 0;             // longest pending length so far
    int held_separators = 0;          // element and component separators ending the pending text
    int held_components = 0;          // component separators ending the pending text
    bool open_release = false;        // the pending text ends with a release character escaping nothing yet
};

inline bool Compactor::is_separator(signed char c, Separators sep) noexcept {
    return c == sep.element || c == sep.component || c == sep.terminator;
}

// The two steps every call comes down to, inline so that the per-field
// calls of the compression cost no more than their work.
inline void Compactor::data(io::Output& out, const char* run, std::size_t length) {
    held_separators = held_components = 0;
    if (static_cast<std::size_t>(L) + length > static_cast<std::size_t>(BEGINALFA)) {
        // Data at or beyond the release position: everything goes out.
        if (L != 0) out.CPUTS(std::string_view(buffer.get(), static_cast<std::size_t>(L)));
        if (length == 1) {
            out.CPUT(*run);
        } else {
            out.CPUTS(std::string_view(run, length));
        }
        L = 0;
        BEGINALFA = 0;
        open_release = false;
        return;
    }
    std::memcpy(buffer.get() + L, run, length);
    L += static_cast<int>(length);
}

inline void Compactor::separator(io::Output& out, Separators sep, char c) {
    const auto s = static_cast<signed char>(c);
    if (s == sep.terminator) {
        // The held element and component separators go; the rest is final.
        if (L > held_separators) out.CPUTS(std::string_view(buffer.get(), static_cast<std::size_t>(L - held_separators)));
        out.CPUT(c);
        L = 0;
        held_separators = held_components = 0;
        return;
    }
    if (s == sep.element) {
        // Component separators held right before it go.
        L -= held_components;
        held_separators -= held_components;
        held_components = 0;
    } else {
        ++held_components;
    }
    buffer[static_cast<std::size_t>(L++)] = c;
    ++held_separators;
    if (BEGINALFA < L) BEGINALFA = L;
}

inline void Compactor::grow(std::int64_t line, std::size_t length) {
    const std::size_t grown = static_cast<std::size_t>(L) + length;
    if (grown > static_cast<std::size_t>(MAXL_CPRINTF)) {
        if (grown > static_cast<std::size_t>(BUFFER_SIZE)) overflow(line);
        MAXL_CPRINTF = static_cast<int>(grown);
    }
}

inline void Compactor::put(io::Output& out, std::int64_t line, Separators sep, char c) {
    if (!buffer) allocate();
    if (c == '\0') return;
    grow(line, 1);
    const auto s = static_cast<signed char>(c);
    if (!open_release && is_separator(s, sep)) {
        separator(out, sep, c);
    } else {
        // A release character on its own escapes whatever comes next, unless
        // it is itself escaped.
        open_release = !open_release && sep.release != 0 && s == sep.release;
        data(out, &c, 1);
    }
}

[[gnu::always_inline]] inline void Compactor::put_separator(io::Output& out, std::int64_t line, Separators sep,
                                                             char c) {
    if (!buffer || open_release) {
        put(out, line, sep, c);
        return;
    }
    grow(line, 1);
    separator(out, sep, c);
}

// The calls of one whole line with the compactor's state held in locals:
// each step does exactly what the call it names does (the same pending
// text and release position), without the checks that the line cannot
// need: the caller has made sure with takes_line() that the limit is out
// of reach, so nothing here can overflow. For the same reason the longest
// length, which serves the limit alone, is not followed: a later call that
// reaches the limit finds it past the longest length whatever that is. The
// state goes back into the compactor when the line is done.
//
// The held separators are followed by two marks rather than counted: where
// the last data ends in the pending text (the held separators follow it),
// and where the last data or element separator ends (the held component
// separators follow it). An element separator then drops the held
// component separators by going back to its mark.
//
// The pending text is kept where it will be written, right after what the
// line has written so far, so that writing it out costs nothing (and no
// byte just stored is read back); it goes back into the compactor's buffer
// when the line is done.
//
// The line is written into the output buffer in place, and committed by
// finish(). Where the buffer has not the room for all that the line can
// write (or -n drops the line ends, which the pending text may hold), it is
// written aside and handed to the output by finish(), which flushes the
// buffer at the same byte as one character at a time would (and can fail
// as a write does: it is no work for the destructor).
class Compactor::Line {
public:
    // `bound`: at most this many characters are handed over (takes_line()).
    Line(Compactor& compactor, io::Output& out, std::size_t bound) noexcept
        : c_(compactor),
          out_(out),
          buffer_(compactor.buffer.get()),
          L_(compactor.L),
          alfa_(compactor.BEGINALFA),
          data_end_(compactor.L - compactor.held_separators),
          mark_(compactor.L - compactor.held_components),
          start_(room(compactor, out, bound)),
          to_(start_) {
        move_pending(to_, buffer_, L_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    ~Line() {
        // What is still pending stands past what was handed over, in room
        // that later writes take.
        move_pending(buffer_, to_, L_);
        c_.L = L_;
        c_.BEGINALFA = alfa_;
        c_.held_separators = L_ - data_end_;
        c_.held_components = L_ - mark_;
    }

    // Whether one more line that hands over at most `bound` characters can
    // follow in the same Line: it is written in place, the output buffer
    // has the room for it, and the pending text cannot reach the limit.
    bool takes_next(std::size_t bound) const noexcept {
        const auto written = static_cast<std::size_t>(to_ - start_);
        return start_ != c_.tmp_buf.get() && static_cast<std::size_t>(L_) + bound < BUFFER_SIZE &&
               out_.room_for(written + static_cast<std::size_t>(L_) + bound + io::CHUNK) != nullptr;
    }

    // Hands what the line wrote to the output: the last call.
    void finish() {
        const auto written = static_cast<std::size_t>(to_ - start_);
        if (start_ == c_.tmp_buf.get()) {
            out_.CPUTS(std::string_view(start_, written));
        } else {
            out_.commit(written);
        }
    }

    // put_separator() of the element separator `c`.
    [[gnu::always_inline]] void element(char c) noexcept {
        L_ = mark_;
        hold(c);
        mark_ = L_;
    }
    // put_separator() of the component separator `c`.
    [[gnu::always_inline]] void component(char c) noexcept { hold(c); }
    // put_data() of a run of data characters; `padded`: the run can be
    // read a chunk past its end (it stands in an input block).
    [[gnu::always_inline]] void data(const char* run, std::size_t length, bool padded = false) {
        char* const at = data_room(static_cast<int>(length));
        if (padded) {
            io::copy_chunks(at, run, length);
        } else {
            std::memcpy(at, run, length);
        }
    }
    // put_pair() of the release character and the character it escapes.
    [[gnu::always_inline]] void pair(char release, char c) {
        char* const at = data_room(2);
        at[0] = release;
        at[1] = c;
    }
    // put() of one data character that is not a separator or the release
    // character.
    [[gnu::always_inline]] void single(char c) { *data_room(1) = c; }
    // put_separator() of the separators of `first` and of every field after
    // it, when the segment terminator comes next: what they leave in the
    // pending text is dropped by it, so only the release position is
    // followed, in one step from the field's tail (see Field): the pending
    // length reaches the held component separators before the first element
    // separator, and then the mark plus the tail's reach.
    void separators_before_terminator(const Field& first) noexcept {
        int highest = L_ + first.tail_components;
        if (first.tail_reach != 0 && highest < mark_ + first.tail_reach) highest = mark_ + first.tail_reach;
        if (alfa_ < highest) alfa_ = highest;
    }
    // put_separator() of the segment terminator `c`.
    [[gnu::always_inline]] void terminator(char c) {
        to_ += data_end_;
        *to_++ = c;
        L_ = data_end_ = mark_ = 0;
    }

private:
    // Where the line goes: everything pending, then what is handed over,
    // then the slack of the chunk copies.
    static char* room(Compactor& compactor, io::Output& out, std::size_t bound) noexcept {
        char* const to = out.room_for(static_cast<std::size_t>(compactor.L) + bound + io::CHUNK);
        return to != nullptr && !out.NONEWLINE ? to : compactor.tmp_buf.get();
    }
    // Where `n` data characters go, with the state moved on as put_data()
    // of them moves it. At or beyond the release position everything
    // pending is written (it stands there already), then the data; below
    // it, the data joins the pending text.
    [[gnu::always_inline]] char* data_room(int n) noexcept {
        if (L_ + n > alfa_) {
            to_ += L_;
            char* const at = to_;
            to_ += n;
            L_ = alfa_ = data_end_ = mark_ = 0;
            return at;
        }
        char* const at = to_ + L_;
        L_ += n;
        data_end_ = mark_ = L_;
        return at;
    }
    // The pending text of `n` characters between the compactor's buffer
    // and the line's room. Usually it is the line end alone: one byte,
    // copied as a byte, since a wider load of a byte just stored would wait
    // for the store to complete.
    static void move_pending(char* to, const char* from, int n) noexcept {
        if (n == 1) {
            *to = *from;
        } else if (n != 0) {
            std::memcpy(to, from, static_cast<std::size_t>(n));
        }
    }
    void hold(char c) noexcept {
        to_[L_++] = c;
        if (alfa_ < L_) alfa_ = L_;
    }

    Compactor& c_;
    io::Output& out_;
    char* const buffer_;
    int L_;
    int alfa_;
    int data_end_;  // the pending text up to here is data and what came before it
    int mark_;      // the held component separators begin here
    char* const start_;  // where the line goes: the output buffer or aside
    char* to_;           // ... and how far it has come
};

}  // namespace marlune::compress
