#include "translit/translit.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/advice.hpp"

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
    // The pattern's "+" stands for `plus` or `alt_plus`.
    Matcher(const char* pattern, signed char plus, signed char alt_plus)
        : pattern_(pattern), plus_(plus), alt_plus_(alt_plus) {}

    // No part of the pattern has been seen.
    bool idle() const noexcept { return pos_ == 0; }
    void reset() noexcept { pos_ = 0; }

    // For an idle matcher and `p` at a "U": how many bytes from `p` on the
    // matcher would step through and give up on, the mismatching byte
    // included, when all of them after the "U" are `ordinary`; 0 when they
    // might complete the pattern, run past `available` or need a closer look.
    std::size_t miss_length(const unsigned char* p, std::size_t available, const bool* ordinary) const noexcept {
        for (std::size_t k = 1; k < 8 && k < available; ++k) {
            if (!ordinary[p[k]]) return 0;
            if (!matches(static_cast<signed char>(p[k]), pattern_[k])) return k + 1;
        }
        return 0;
    }

    // Returns true when `c` completes the pattern.
    bool step(int c) {
        if (pos_ < 8 && matches(c, pattern_[pos_])) return ++pos_ == 8;
        pos_ = 0;
        return false;
    }

private:
    bool matches(int c, char want) const noexcept {
        return want == '+' ? c == plus_ || c == alt_plus_ : c == want;
    }

    const char* pattern_;
    signed char plus_;
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
        // A "U" is tried against the header in the blocks themselves. Under
        // -R a line feed after it goes to the comment handling, which leaves
        // the matcher where it is: such a "U" is slow too.
        ordinary_[static_cast<unsigned char>('U')] = false;
        slow_[0] = splat('U');
        held_after_u_ = splat(remove_comments ? '\n' : 'N');
        if (remove_comments || no_newline) slow('\n');
        if (no_newline) slow('\r');
    }
    void slow(int c) {
        const auto byte = static_cast<unsigned char>(c);
        ordinary_[byte] = false;
        slow_[slow_count_++] = splat(byte);
        // The unused places repeat the first slow byte, so that the blocks
        // compare with a fixed count of them.
        for (int k = slow_count_; k < kSlowRoom; ++k) slow_[k] = slow_[0];
    }
    // The three separators of `from` become those of `to`.
    void map_separators(Separators from, Separators to) {
        map(from.element, to.element);
        map(from.component, to.component);
        map(from.terminator, to.terminator);
        terminator_ = static_cast<unsigned char>(from.terminator);
        const signed char f[3] = {from.element, from.component, from.terminator};
        const signed char t[3] = {to.element, to.component, to.terminator};
        for (std::size_t j = 0; j < 3; ++j) {
            from_[j] = splat(static_cast<unsigned char>(f[j]));
            flip_[j] = splat(static_cast<unsigned char>(f[j] ^ t[j]));
        }
    }

    // The release character of the input set, whose pairs are copied here
    // too (the released byte as it is, behind the output's release
    // character where that byte needs one).
    void pairs(signed char release) noexcept {
        pairs_ = true;
        release_ = static_cast<unsigned char>(release);
    }
    // `c`, a service character of the output, is written behind `release`
    // wherever it stands as data.
    void released(signed char c, signed char release) noexcept {
        releases_[static_cast<unsigned char>(c)] = true;
        out_release_ = static_cast<char>(release);
    }

    // Copies what the input holds ready up to the first byte that needs the
    // byte-by-byte path: the ordinary bytes through the table, release
    // pairs and service characters to be released as the byte-by-byte path
    // writes them, and a "U" that cannot start the header (the matcher is
    // idle here) with the bytes the matcher would give up on. Line numbers
    // are not kept here: transliteration reports none. `at_start` tells
    // whether the last byte copied that is not a line end is a segment
    // terminator (a released one is not).
    void copy_run(io::Input& in, io::Output& out, const Matcher& matcher, bool& at_start) const {
        for (;;) {
            const std::string_view ready = in.pending();
            if (ready.empty()) return;
            const std::size_t avail = ready.size();
            std::size_t room;
            auto* to = reinterpret_cast<unsigned char*>(out.reserve(2 * avail, room));
            const auto* from = reinterpret_cast<const unsigned char*>(ready.data());
            std::size_t i = 0, o = 0;
            std::size_t released_at = kNone;  // input index of the last released byte
            bool full = false;                // the output room ran out
            for (;;) {
                // Whole blocks first, then byte by byte.
                // (Each block needs the byte after it.)
                const std::size_t blocks = i < avail ? std::min(avail - i - 1, room - o) / kBlock : 0;
                const std::size_t clean = copy_blocks(from + i, to + o, blocks);
                i += clean;
                o += clean;
                for (; i < avail && o < room && ordinary_[from[i]]; ++i, ++o) to[o] = map_[from[i]];
                if (i == avail) break;
                if (o == room) {
                    full = true;
                    break;
                }
                const unsigned char c = from[i];
                if (c == 'U') {
                    if (segment_start(from, i, at_start, released_at)) break;
                    const std::size_t miss = matcher.miss_length(from + i, avail - i, ordinary_);
                    // Room that runs short is left to the byte-by-byte path,
                    // which makes it.
                    if (miss == 0 || o + miss > room) break;
                    for (const std::size_t end = i + miss; i < end; ++i, ++o) to[o] = map_[from[i]];
                } else if (pairs_ && c == release_ && !separator_[c]) {
                    if (i + 1 == avail || o + 2 > room) break;
                    const unsigned char r = from[i + 1];
                    if (releases_[r]) to[o++] = static_cast<unsigned char>(out_release_);
                    to[o++] = r;
                    released_at = i + 1;
                    i += 2;
                } else if (releases_[c] && !separator_[c] && !(pairs_ && c == release_)) {
                    if (o + 2 > room) break;
                    to[o++] = static_cast<unsigned char>(out_release_);
                    to[o++] = c;
                    ++i;
                } else {
                    break;
                }
            }
            out.commit(o);
            in.consume(i);
            if (i != 0) at_start = segment_start(from, i, at_start, released_at);
            if (!full) return;
        }
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // Whether the byte at `from[n]` begins a segment: the last byte before it
    // that is not a line end is a terminator, and not a released one
    // (`at_start` tells for the bytes before `from`).
    bool segment_start(const unsigned char* from, std::size_t n, bool at_start, std::size_t released_at) const noexcept {
        for (; n != 0; --n) {
            if (from[n - 1] != '\n' && from[n - 1] != '\r') return n - 1 != released_at && from[n - 1] == terminator_;
        }
        return at_start;
    }

    // Sixteen bytes at a time, as a vector (GCC and Clang vector extensions).
    static constexpr std::size_t kBlock = 16;
    typedef unsigned char Block __attribute__((vector_size(kBlock)));

    static Block splat(unsigned char c) noexcept {
        Block b;
        for (std::size_t k = 0; k < kBlock; ++k) b[k] = c;
        return b;
    }

    void map(int from, int to) {
        map_[static_cast<unsigned char>(from)] = static_cast<unsigned char>(to);
        separator_[static_cast<unsigned char>(from)] = true;
    }

    // Maps up to `count` whole blocks into `to` and returns how many bytes
    // come before the first slow byte (all of them when there is none); the
    // bytes of its block from there on are scratch that later writes
    // replace.
    std::size_t copy_blocks(const unsigned char* from, unsigned char* to, std::size_t count) const noexcept {
        if (slow_count_ <= 1) return copy_blocks_with<1>(from, to, count);
        if (slow_count_ <= 2) return copy_blocks_with<2>(from, to, count);
        if (slow_count_ <= 4) return copy_blocks_with<4>(from, to, count);
        if (slow_count_ <= 8) return copy_blocks_with<8>(from, to, count);
        return copy_blocks_with<kSlowRoom>(from, to, count);
    }
    // The same, comparing with the first `K` places of the slow bytes. Each
    // separator is mapped by flipping the bits in which it differs from its
    // counterpart, where it stands. A "U" is slow only where the byte after
    // it is an "N" (the header may begin there) or another "U" (which the
    // header matcher would take as the mismatch, not as a new beginning);
    // (or, under -R, a line feed); otherwise the matcher would step over
    // both and give up, so it is copied like any other byte. The byte after each block is read for
    // that, so the caller counts only blocks that have one.
    template <int K>
    std::size_t copy_blocks_with(const unsigned char* from, unsigned char* to, std::size_t count) const noexcept {
        const Block u = splat('U'), n = splat('N');
        for (std::size_t b = 0; b < count; ++b) {
            Block v;
            std::memcpy(&v, from + b * kBlock, kBlock);
            Block out = v;
            for (std::size_t j = 0; j < 3; ++j) out ^= reinterpret_cast<Block>(v == from_[j]) & flip_[j];
            std::memcpy(to + b * kBlock, &out, kBlock);
            Block slow = reinterpret_cast<Block>(v == slow_[0]);
            for (int k = 1; k < K; ++k) slow |= reinterpret_cast<Block>(v == slow_[k]);
            const Block us = reinterpret_cast<Block>(v == u);
            unsigned lanes = lanes_of(slow);
            if (lanes_of(us) != 0) {
                Block next;
                std::memcpy(&next, from + b * kBlock + 1, kBlock);
                lanes |= lanes_of(us & reinterpret_cast<Block>((next == n) | (next == u) | (next == held_after_u_)));
            }
            if (lanes != 0) return b * kBlock + static_cast<std::size_t>(std::countr_zero(lanes));
        }
        return count * kBlock;
    }

    // A bit for each lane of a comparison's result that holds.
    static unsigned lanes_of(Block hits) noexcept {
#if defined(__SSE2__)
        return static_cast<unsigned>(_mm_movemask_epi8(reinterpret_cast<__m128i>(hits)));
#else
        unsigned lanes = 0;
        for (std::size_t k = 0; k < kBlock; ++k) lanes |= (hits[k] != 0 ? 1u : 0u) << k;
        return lanes;
#endif
    }

    unsigned char map_[256];
    bool ordinary_[256];
    bool releases_[256]{};
    bool separator_[256]{};  // the input's separators, which are mapped before anything else
    bool pairs_ = false;
    unsigned char release_ = 0;
    char out_release_ = 0;
    unsigned char terminator_ = 0;
    static constexpr int kSlowRoom = 12;
    Block slow_[kSlowRoom]{};
    int slow_count_ = 0;
    Block from_[3]{}, flip_[3]{};
    Block held_after_u_{};  // besides "N" and "U", the byte that makes a "U" before it slow
};

// One transliteration: the separator set read, in force (the command's own,
// or that of a service string advice up to the end of its interchange), and
// the tables built for it.
class Transliteration {
public:
    // `own` is the separator set of the input level, `to` that of the output.
    Transliteration(io::Input& in, io::Output& out, bool remove_comments, bool to_b, Separators own, Separators to)
        : in_(in), out_(out), remove_comments_(remove_comments), to_b_(to_b), own_(own), to_(to) {
        set(own);
    }

    void run() {
        int c = first_byte(in_, remove_comments_);
        for (;;) {
            if (in_.FEOF()) break;
            if (remove_comments_ && c == '\n' && !drop_empty_and_comment_lines(in_, out_, c)) break;
            if (c == 'U' && at_start_ && advice_at_segment_start()) {
                c = in_.FGETC();
                continue;
            }
            step(c);
            if (matcher_.idle()) run_.copy_run(in_, out_, matcher_, at_start_);
            c = in_.FGETC();
        }
    }

private:
    // Level A output: the service characters of level A in data are
    // released.
    bool releases(int c) const noexcept { return !to_b_ && (to_.separates(c) || c == to_.release); }

    void set(Separators sep) {
        sep_ = sep;
        build();
        matcher_ = to_b_ ? Matcher("UNB+UNOA", sep.element, sep.element)
                         : Matcher("UNB+UNOB", sep.element, advice_ ? sep.element : to_.element);
    }

    // The run table for the set in force; within an advice's UNZ segment its
    // terminator takes the byte-by-byte path, since it ends the interchange.
    void build() {
        run_ = RunTable(remove_comments_, out_.NONEWLINE);
        if (sep_.release != 0 || to_b_) {
            run_.slow(sep_.release);
            run_.pairs(sep_.release);
        }
        if (!to_b_) {
            for (const signed char special : {to_.element, to_.component, to_.terminator, to_.release}) {
                run_.slow(special);
                run_.released(special, to_.release);
            }
        }
        if (closing_) run_.slow(sep_.terminator);
        run_.map_separators(sep_, to_);
    }

    void step(int c) {
        const bool line_end = c == '\n' || c == '\r';
        bool terminator = false;
        if (matcher_.step(c)) {
            out_.CPUT(to_b_ ? 'B' : 'A');
        } else if (c == sep_.element) {
            out_.CPUT(to_.element);
        } else if (c == sep_.component) {
            out_.CPUT(to_.component);
        } else if (c == sep_.terminator) {
            out_.CPUT(to_.terminator);
            terminator = true;
        } else if (c == sep_.release && (sep_.release != 0 || to_b_)) {
            // The released byte is copied as it is, even a line end under -n.
            const int released = in_.FGETC();
            if (!in_.FEOF()) {
                if (releases(released)) out_.CPUT(to_.release);
                out_.put_verbatim(std::string_view(reinterpret_cast<const char*>(&released), 1));
            }
        } else if (releases(c)) {
            out_.CPUT(to_.release);
            out_.CPUT(c);
        } else {
            out_.CPUT(c);
        }
        if (terminator) {
            at_start_ = true;
            if (closing_) {
                // The advice's interchange is over.
                advice_ = closing_ = false;
                set(own_);
            }
        } else if (!line_end) {
            at_start_ = false;
        }
    }

    // At a "U" that begins a segment: a service string advice is read and
    // written whole in the output's form, and its set is in force from the
    // next byte on; the UNZ of its interchange is marked. Returns true when
    // the advice was read.
    bool advice_at_segment_start() {
        const std::string_view ahead = in_.peek(2 + ServiceAdvice::LENGTH);
        if (ahead.substr(0, 2) == "NA") {
            if (const auto advice = ServiceAdvice::read(ahead.substr(2))) {
                out_.put_verbatim(to_b_ ? ServiceAdvice::level_b(advice->decimal, advice->reserved)
                                        : ServiceAdvice::level_a(advice->decimal, advice->reserved));
                for (std::size_t k = 0; k < 2 + ServiceAdvice::LENGTH; ++k) in_.FGETC();
                advice_ = true;
                closing_ = false;
                set(advice->sep);
                return true;
            }
        }
        if (advice_ && !closing_ && ahead.substr(0, 2) == "NZ") {
            closing_ = true;
            build();
        }
        return false;
    }

    io::Input& in_;
    io::Output& out_;
    const bool remove_comments_;
    const bool to_b_;
    const Separators own_;
    const Separators to_;
    Separators sep_{};
    bool advice_ = false;    // an advice's set is in force
    bool closing_ = false;   // in the UNZ segment of the advice's interchange
    bool at_start_ = true;   // the next byte begins a segment
    RunTable run_{false, 0};
    Matcher matcher_{"UNB+UNOA", '+', '+'};
};

}  // namespace

int AB(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b) {
    Transliteration(in, out, remove_comments, true, a, b).run();
    return in.FEOF();
}

void BA(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b) {
    Transliteration(in, out, remove_comments, false, b, a).run();
}

}  // namespace marlune::translit
