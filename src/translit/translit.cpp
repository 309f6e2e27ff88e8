#include "translit/translit.hpp"

#include <string_view>

namespace marlune::translit {

namespace {

// Passes over the rest of a comment line, through its line feed or to the
// end of the input.
void skip_line(io::Input& in) {
    for (;;) {
        const int c = in.FGETC();
        if (in.FEOF() || c == '\n') return;
    }
}

// Reads the first byte; with -R, comment lines at the very start are dropped.
int first_byte(io::Input& in, bool remove_comments) {
    int c = in.FGETC();
    while (remove_comments && !in.FEOF() && c == ';') {
        skip_line(in);
        c = in.FGETC();
    }
    return c;
}

// After a line feed under -R: writes it and drops the empty lines and comment
// lines that follow. Returns false at the end of the input, otherwise leaves
// the first byte of the next real line in `c`.
bool drop_empty_and_comment_lines(io::Input& in, io::Output& out, int& c) {
    out.CPUT('\n');
    for (;;) {
        c = in.FGETC();
        if (in.FEOF()) return false;
        if (c == ';') {
            skip_line(in);
            if (in.FEOF()) return false;
            continue;  // the comment's line feed counts as the byte read
        }
        if (c != '\n') return true;
    }
}

// Finds "UNB+UNOA" (or "UNB+UNOB") anywhere in the byte stream. After a
// mismatch the byte is not tried as the start of a new match, and the byte
// after a complete match never continues it.
class Matcher {
public:
    Matcher(const char* pattern, signed char alt_plus) : pattern_(pattern), alt_plus_(alt_plus) {}

    // No part of the pattern has been seen.
    bool idle() const noexcept { return pos_ == 0; }

    // Returns true when `c` completes the pattern.
    bool step(int c) {
        if (pos_ < 8) {
            const char want = pattern_[pos_];
            if (c == want || (want == '+' && alt_plus_ != 0 && c == alt_plus_)) {
                return ++pos_ == 8;
            }
        }
        pos_ = 0;
        return false;
    }

private:
    const char* pattern_;
    signed char alt_plus_;
    int pos_ = 0;
};

// The bytes that a transliteration copies through a table, a run at a time,
// while the header matcher is idle; every other byte takes the byte-by-byte
// path.
class RunTable {
public:
    // `ordinary` bytes are copied as map[byte]; the header's first letter,
    // line ends under -R or -n, and the bytes the caller marks otherwise take
    // the slow path.
    RunTable(bool remove_comments, int no_newline) {
        for (int i = 0; i < 256; ++i) {
            map_[i] = static_cast<unsigned char>(i);
            ordinary_[i] = true;
        }
        slow('U');
        if (remove_comments || no_newline) slow('\n');
        if (no_newline) slow('\r');
    }
    void slow(int c) { ordinary_[static_cast<unsigned char>(c)] = false; }
    // The three separators of `from` become those of `to`.
    void map_separators(Separators from, Separators to) {
        map(from.element, to.element);
        map(from.component, to.component);
        map(from.terminator, to.terminator);
    }

    // Copies the ordinary bytes that the input holds ready, up to the first
    // other one. Line numbers are not kept here: transliteration reports none.
    void copy_run(io::Input& in, io::Output& out) const {
        for (;;) {
            const std::string_view ready = in.pending();
            if (ready.empty()) return;
            std::size_t room;
            char* to = out.reserve(ready.size(), room);
            std::size_t n = 0;
            for (; n < room; ++n) {
                const auto byte = static_cast<unsigned char>(ready[n]);
                if (!ordinary_[byte]) break;
                to[n] = static_cast<char>(map_[byte]);
            }
            out.commit(n);
            in.consume(n);
            if (n < room || n == ready.size()) return;
        }
    }

private:
    void map(int from, int to) { map_[static_cast<unsigned char>(from)] = static_cast<unsigned char>(to); }

    unsigned char map_[256];
    bool ordinary_[256];
};

}  // namespace

int AB(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b) {
    Matcher matcher("UNB+UNOA", 0);
    RunTable run(remove_comments, out.NONEWLINE);
    run.slow(a.release);
    run.map_separators(a, b);
    int c = first_byte(in, remove_comments);
    for (;;) {
        if (in.FEOF()) break;
        if (remove_comments && c == '\n' && !drop_empty_and_comment_lines(in, out, c)) break;
        if (matcher.step(c)) {
            out.CPUT('B');
        } else if (c == a.element) {
            out.CPUT(b.element);
        } else if (c == a.component) {
            out.CPUT(b.component);
        } else if (c == a.terminator) {
            out.CPUT(b.terminator);
        } else if (c == a.release) {
            // The released byte is copied as it is, even a line end under -n.
            const int released = in.FGETC();
            if (!in.FEOF()) {
                const int saved = out.NONEWLINE;
                out.NONEWLINE = 0;
                out.CPUT(released);
                out.NONEWLINE = saved;
            }
        } else {
            out.CPUT(c);
        }
        if (matcher.idle()) run.copy_run(in, out);
        c = in.FGETC();
    }
    return in.FEOF();
}

void BA(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b) {
    Matcher matcher("UNB+UNOB", b.element);
    RunTable run(remove_comments, out.NONEWLINE);
    for (const signed char special : {a.element, a.component, a.terminator, a.release}) run.slow(special);
    run.map_separators(b, a);
    int c = first_byte(in, remove_comments);
    for (;;) {
        if (in.FEOF()) break;
        if (remove_comments && c == '\n' && !drop_empty_and_comment_lines(in, out, c)) break;
        if (matcher.step(c)) {
            out.CPUT('A');
        } else if (c == a.element || c == a.component || c == a.terminator || c == a.release) {
            out.CPUT(a.release);
            out.CPUT(c);
        } else if (c == b.element) {
            out.CPUT(a.element);
        } else if (c == b.component) {
            out.CPUT(a.component);
        } else if (c == b.terminator) {
            out.CPUT(a.terminator);
        } else {
            out.CPUT(c);
        }
        if (matcher.idle()) run.copy_run(in, out);
        c = in.FGETC();
    }
}

}  // namespace marlune::translit
