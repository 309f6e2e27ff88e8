#include "translit/translit.hpp"

#include <bit>
#include <cstdint>
#include <cstring>
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

    // For an idle matcher and `p` at a "U": how many bytes from `p` on the
    // matcher would step through and give up on, the mismatching byte
    // included, when all of them after the "U" are `ordinary`; 0 when they
    // might complete the pattern, run past `available` or need a closer look.
    std::size_t miss_length(const unsigned char* p, std::size_t available, const bool* ordinary) const noexcept {
        for (std::size_t k = 1; k < 8 && k < available; ++k) {
            if (!ordinary[p[k]]) return 0;
            const auto c = static_cast<signed char>(p[k]);
            const char want = pattern_[k];
            if (!(c == want || (want == '+' && alt_plus_ != 0 && c == alt_plus_))) return k + 1;
        }
        return 0;
    }

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
    void slow(int c) {
        const auto byte = static_cast<unsigned char>(c);
        ordinary_[byte] = false;
        slow_[slow_count_++] = splat(byte);
    }
    // The three separators of `from` become those of `to`.
    void map_separators(Separators from, Separators to) {
        map(from.element, to.element);
        map(from.component, to.component);
        map(from.terminator, to.terminator);
        const signed char f[3] = {from.element, from.component, from.terminator};
        const signed char t[3] = {to.element, to.component, to.terminator};
        for (std::size_t j = 0; j < 3; ++j) {
            from_[j] = splat(static_cast<unsigned char>(f[j]));
            to_[j] = splat(static_cast<unsigned char>(t[j]));
        }
    }

    // Copies the ordinary bytes that the input holds ready, up to the first
    // other one. Line numbers are not kept here: transliteration reports none.
    // A "U" that cannot start the header (the matcher is idle here) is copied
    // with the bytes the matcher would give up on.
    void copy_run(io::Input& in, io::Output& out, const Matcher& matcher) const {
        for (;;) {
            const std::string_view ready = in.pending();
            if (ready.empty()) return;
            std::size_t room;
            auto* to = reinterpret_cast<unsigned char*>(out.reserve(ready.size(), room));
            const auto* from = reinterpret_cast<const unsigned char*>(ready.data());
            std::size_t n = 0;
            for (;;) {
                // Whole blocks first, then byte by byte.
                while (n + kBlock <= room) {
                    const std::size_t clean = copy_block(from + n, to + n);
                    n += clean;
                    if (clean < kBlock) break;
                }
                for (; n < room && ordinary_[from[n]]; ++n) to[n] = map_[from[n]];
                if (n == room || from[n] != 'U') break;
                const std::size_t miss = matcher.miss_length(from + n, room - n, ordinary_);
                if (miss == 0) break;
                for (const std::size_t end = n + miss; n < end; ++n) to[n] = map_[from[n]];
            }
            out.commit(n);
            in.consume(n);
            if (n < room || n == ready.size()) return;
        }
    }

private:
    // Sixteen bytes at a time, as a vector (GCC and Clang vector extensions).
    static constexpr std::size_t kBlock = 16;
    typedef unsigned char Block __attribute__((vector_size(kBlock)));

    static Block splat(unsigned char c) noexcept {
        Block b;
        for (std::size_t k = 0; k < kBlock; ++k) b[k] = c;
        return b;
    }

    void map(int from, int to) { map_[static_cast<unsigned char>(from)] = static_cast<unsigned char>(to); }

    // Maps a whole block into `to` and returns how many of its bytes come
    // before the first slow byte (all 16 when it holds none); the bytes from
    // there on are scratch that later writes replace.
    std::size_t copy_block(const unsigned char* from, unsigned char* to) const noexcept {
        Block v;
        std::memcpy(&v, from, kBlock);
        Block out = v;
        for (std::size_t j = 0; j < 3; ++j) {
            const Block hit = reinterpret_cast<Block>(v == from_[j]);
            out = (out & ~hit) | (to_[j] & hit);
        }
        std::memcpy(to, &out, kBlock);
        Block slow = splat(0);
        for (int i = 0; i < slow_count_; ++i) slow |= reinterpret_cast<Block>(v == slow_[i]);
        std::uint64_t half[2];
        std::memcpy(half, &slow, kBlock);
        if (half[0] != 0) return static_cast<std::size_t>(std::countr_zero(half[0])) / 8;
        if (half[1] != 0) return 8 + static_cast<std::size_t>(std::countr_zero(half[1])) / 8;
        return kBlock;
    }

    unsigned char map_[256];
    bool ordinary_[256];
    Block slow_[8]{};
    int slow_count_ = 0;
    Block from_[3]{}, to_[3]{};
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
        if (matcher.idle()) run.copy_run(in, out, matcher);
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
        if (matcher.idle()) run.copy_run(in, out, matcher);
        c = in.FGETC();
    }
}

}  // namespace marlune::translit
