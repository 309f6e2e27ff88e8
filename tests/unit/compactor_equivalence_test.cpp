// The compactor against the per-character reference: the same calls must
// write the same bytes at the same calls and leave the same pending length,
// release position and longest length after every call, and the overflow
// must end the run at the same call with the same message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/fatal.hpp"
#include "compactor_reference.hpp"
#include "compress/compactor.hpp"
#include "io/output.hpp"

namespace marlune::compress {
namespace {

struct Call {
    enum Kind { put, pair, data, flush, printf_c, printf_cc, printf_at, printf_lf } kind;
    char a = 0;
    char b = 0;
    std::string run;
};

std::string describe(const Call& c) {
    auto hex = [](char x) { return std::to_string(static_cast<unsigned char>(x)); };
    switch (c.kind) {
        case Call::put: return "put(" + hex(c.a) + ")";
        case Call::pair: return "put_pair(" + hex(c.a) + "," + hex(c.b) + ")";
        case Call::data: return "put_data(\"" + c.run + "\")";
        case Call::flush: return "flush";
        case Call::printf_c: return "cprintf(%c," + hex(c.a) + ")";
        case Call::printf_cc: return "cprintf(%c%c," + hex(c.a) + "," + hex(c.b) + ")";
        case Call::printf_at: return "cprintf(@)";
        case Call::printf_lf: return "cprintf(\\n)";
    }
    return "?";
}

// Runs every call on both compactors, each with its own output.
class Twin {
public:
    Twin(Separators sep, bool no_newline) : sep_(sep), fast_out_(fast_sink_), slow_out_(slow_sink_) {
        fast_out_.NONEWLINE = slow_out_.NONEWLINE = no_newline ? 1 : 0;
    }

    // The overflow message of the call, or "" when it went through; the
    // result of both compactors must agree (checked by the caller).
    std::string apply(const Call& c, std::int64_t line) {
        const std::string fast = run(fast_, fast_out_, c, line);
        const std::string slow = run(slow_, slow_out_, c, line);
        EXPECT_EQ(fast, slow) << describe(c);
        return slow;
    }

    // Compares the state and the output written since the last check.
    ::testing::AssertionResult same(bool whole_pending) {
        fast_out_.CFLUSH();
        slow_out_.CFLUSH();
        const std::string& f = fast_sink_.data();
        const std::string& s = slow_sink_.data();
        if (f.size() != s.size() || f.compare(checked_, std::string::npos, s, checked_) != 0)
            return ::testing::AssertionFailure() << "written differs: \"" << f.substr(checked_) << "\" instead of \""
                                                 << s.substr(checked_) << "\"";
        checked_ = s.size();
        if (fast_.pending_length() != slow_.pending_length())
            return ::testing::AssertionFailure()
                   << "pending length " << fast_.pending_length() << " instead of " << slow_.pending_length();
        if (fast_.begin_alfa() != slow_.begin_alfa())
            return ::testing::AssertionFailure()
                   << "release position " << fast_.begin_alfa() << " instead of " << slow_.begin_alfa();
        if (fast_.longest_pending() != slow_.longest_pending())
            return ::testing::AssertionFailure()
                   << "longest pending " << fast_.longest_pending() << " instead of " << slow_.longest_pending();
        const std::string_view fp = fast_.pending(), sp = slow_.pending();
        const std::size_t tail = std::min<std::size_t>(sp.size(), 16);
        if (whole_pending ? fp != sp : fp.substr(fp.size() - tail) != sp.substr(sp.size() - tail))
            return ::testing::AssertionFailure() << "pending text differs";
        return ::testing::AssertionSuccess();
    }

    int pending_length() const { return slow_.pending_length(); }
    int begin_alfa() const { return slow_.begin_alfa(); }

private:
    template <typename C>
    std::string run(C& c, io::Output& out, const Call& call, std::int64_t line) {
        try {
            switch (call.kind) {
                case Call::put: c.put(out, line, sep_, call.a); break;
                case Call::pair: c.put_pair(out, line, sep_, call.a, call.b); break;
                case Call::data: c.put_data(out, line, sep_, call.run); break;
                case Call::flush: c.flush(out, line, sep_); break;
                case Call::printf_c: c.cprintf(out, line, sep_, "%c", call.a); break;
                case Call::printf_cc: c.cprintf(out, line, sep_, "%c%c", call.a, call.b); break;
                case Call::printf_at: c.cprintf(out, line, sep_, "@"); break;
                case Call::printf_lf: c.cprintf(out, line, sep_, "\n"); break;
            }
        } catch (const FatalError& e) {
            return e.what();
        }
        return "";
    }

    Separators sep_;
    io::StringSink fast_sink_, slow_sink_;
    io::Output fast_out_, slow_out_;
    Compactor fast_;
    reference::Compactor slow_;
    std::size_t checked_ = 0;
};

// Produces the calls of the compression, segment by segment, with some
// calls of every other supported shape in between.
class Generator {
public:
    Generator(Separators sep, std::uint32_t seed) : sep_(sep), random_(seed) {
        for (int c = 1; c < 256; ++c) {
            const auto s = static_cast<signed char>(c);
            if (s != sep.element && s != sep.component && s != sep.terminator && s != sep.release)
                plain_.push_back(static_cast<char>(c));
        }
    }

    // Each run of a fresh compactor brings, after some ordinary calls, one
    // of these, in turn: nothing special; a segment of some 16,000 empty
    // fields, element separators all, that brings the pending text to
    // exactly 16,384 (so that its terminator outgrows the limit), one more,
    // or one less; some 16,000 empty fields with a few component separators
    // among them. These leave the release position far out, so the data of
    // the following segments stays pending below it: a segment of a
    // thousand fields with long values then reaches the position (and is
    // written) or, with the position at the limit, reaches the limit in the
    // middle of a data run. That segment also comes on its own.
    void new_run(int index) {
        plan_ = index % 6;
        countdown_ = 50 + below(2000);
    }

    // The calls of one segment, or of some loose calls. Calls that must
    // fill the pending text exactly are counted from its length and the
    // release position.
    std::vector<Call> next(int pending, int release_position) {
        calls_.clear();
        if (plan_ != 0 && countdown_-- == 0) {
            // The tag stays pending below the release position.
            const int after_tag = pending + 3 > release_position ? 0 : pending + 3;
            const int limit = Compactor::BUFFER_SIZE;
            switch (plan_) {
                case 1:
                case 2:
                    // The terminator outgrows the limit, or the last element
                    // separator does; the flush empties the pending text but
                    // leaves the release position at the limit.
                    segment(static_cast<unsigned>(limit + plan_ - 1 - after_tag), 0, 0);
                    add({Call::flush, 0, 0, {}});
                    break;
                case 3: segment(static_cast<unsigned>(limit - 1 - after_tag), 0, 0); break;
                case 4: segment(16200 + below(400), 0, 1); break;
                default: break;
            }
            segment(1000, 90, below(2));
            plan_ = 0;
            return calls_;
        }
        const unsigned pick = below(100);
        if (pick < 70) {
            segment(1 + below(below(4) == 0 ? 40 : 8), 6, 60);
        } else {
            loose(1 + below(12));
        }
        return calls_;
    }

private:
    unsigned below(unsigned n) { return static_cast<unsigned>(random_() % n); }
    char sep_char(signed char s) const { return static_cast<char>(s); }
    char letter() { return static_cast<char>('A' + below(26)); }
    char plain() { return plain_[below(static_cast<unsigned>(plain_.size()))]; }
    char special() {
        const signed char all[4] = {sep_.element, sep_.component, sep_.terminator, sep_.release};
        return sep_char(all[below(sep_.release != 0 ? 4 : 3)]);
    }
    // Keeps track of whether the last piece was a lone release character.
    void add(Call c) {
        std::string piece;
        switch (c.kind) {
            case Call::put:
            case Call::printf_c: piece = std::string(1, c.a); break;
            case Call::pair:
            case Call::printf_cc: piece = std::string{c.a, c.b}; break;
            case Call::data: piece = c.run; break;
            case Call::printf_at: piece = "@"; break;
            case Call::printf_lf: piece = "\n"; break;
            case Call::flush: lone_release_ = false; break;
        }
        piece = piece.substr(0, piece.find('\0'));
        if (!piece.empty()) lone_release_ = sep_.release != 0 && piece == std::string(1, sep_char(sep_.release));
        calls_.push_back(std::move(c));
    }
    void put(char c) {
        if (below(8) == 0) add({Call::printf_c, c, 0, {}});
        else add({Call::put, c, 0, {}});
    }
    void escape(char c) {
        const char release = sep_char(sep_.release);
        if (below(8) == 0) add({Call::printf_cc, release, c, {}});
        else add({Call::pair, release, c, {}});
    }

    // One value as the field conversion hands it over: runs of data at
    // once, escape pairs, NUL bytes one by one.
    void value(const std::string& text) {
        std::string run;
        for (const char c : text) {
            const auto s = static_cast<signed char>(c);
            const bool is_special =
                s == sep_.element || s == sep_.component || s == sep_.terminator || (sep_.release != 0 && s == sep_.release);
            if (!is_special && c != '\0') {
                run.push_back(c);
                continue;
            }
            if (!run.empty()) add({Call::data, 0, 0, run});
            run.clear();
            if (c == '\0') put('\0');
            else escape(c);
        }
        if (!run.empty()) add({Call::data, 0, 0, run});
    }

    void segment(unsigned fields, unsigned filled_percent, unsigned component_percent) {
        value(std::string{letter(), letter(), letter()});
        for (unsigned f = 0; f < fields; ++f) {
            put(sep_char(below(100) < component_percent ? sep_.component : sep_.element));
            if (below(100) >= filled_percent) continue;
            std::string text;
            switch (below(6)) {
                case 0: text = below(2) ? "-" : "1"; break;  // forced empty field
                case 1: text = std::string(1 + below(3), ' '); break;
                default:
                    for (unsigned n = 1 + below(filled_percent >= 90 || below(6) == 0 ? 60 : 6); n > 0; --n) {
                        const unsigned k = below(20);
                        text.push_back(k == 0 ? special() : k == 1 ? '\0' : k < 10 ? letter() : plain());
                    }
            }
            value(text);
        }
        put(sep_char(sep_.terminator));
        if (below(4) == 0) {
            if (below(2)) add({Call::printf_at, 0, 0, {}});
            else put('@');
        }
        if (below(4) == 0) put('\r');
        if (below(2)) add({Call::printf_lf, 0, 0, {}});
        else put('\n');
    }

    void loose(unsigned count) {
        for (; count > 0; --count) {
            switch (below(12)) {
                case 0: put(special()); break;
                case 1: put(sep_char(below(2) ? sep_.element : sep_.component)); break;
                case 2: put(plain()); break;
                case 3: put('\0'); break;
                case 4:
                    // An escape pair; at level B its first byte is 0 and it
                    // contributes nothing. Not right after a lone release
                    // character, which would escape the pair's first byte.
                    if (!lone_release_) escape(below(4) == 0 ? plain() : special());
                    break;
                case 5:
                    if (!lone_release_) add({Call::pair, below(2) ? special() : plain(), '\0', {}});
                    break;
                case 6: add({Call::pair, '\0', special(), {}}); break;
                case 7: {
                    std::string run;
                    for (unsigned n = below(30); n > 0; --n) run.push_back(plain());
                    add({Call::data, 0, 0, run});
                    break;
                }
                case 8: add({Call::printf_cc, plain(), plain(), {}}); break;
                case 9: add({Call::flush, 0, 0, {}}); break;
                default: put(sep_char(below(3) ? sep_.element : sep_.component)); break;
            }
        }
    }

    Separators sep_;
    std::mt19937 random_;
    std::vector<char> plain_;
    std::vector<Call> calls_;
    bool lone_release_ = false;
    int plan_ = 0;
    unsigned countdown_ = 0;
};

struct Setting {
    const char* name;
    Separators sep;
    bool no_newline;
    std::uint32_t seed;
    long steps;
};
void PrintTo(const Setting& s, std::ostream* os) { *os << s.name; }

class Equivalence : public ::testing::TestWithParam<Setting> {};

// A million calls in all over the four settings. A run ends after about
// 40,000 calls, or a few calls after an overflow, with a flush; the next one
// starts with fresh compactors.
TEST_P(Equivalence, SameAsReferenceAfterEveryCall) {
    const Setting& setting = GetParam();
    Generator generator(setting.sep, setting.seed);
    long step = 0;
    int runs = 0, overflows = 0, data_overflows = 0, held_far = 0;
    std::size_t longest = 0;
    while (step < setting.steps) {
        Twin twin(setting.sep, setting.no_newline);
        generator.new_run(runs);
        ++runs;
        std::vector<std::string> recent;
        long run_steps = 0, after_overflow = -1;
        bool far = false;
        while (run_steps < 40000 && after_overflow < 20 && step < setting.steps) {
            for (const Call& call : generator.next(twin.pending_length(), twin.begin_alfa())) {
                const std::int64_t line = (std::int64_t{1} << 33) + step;
                const int before = twin.pending_length();
                const std::string failure = twin.apply(call, line);
                if (!failure.empty()) {
                    ASSERT_EQ(failure, "Out of bufferspace while printing segment at line " + std::to_string(line) + "\n");
                    if (after_overflow < 0) after_overflow = 0, ++overflows;
                    if (call.kind == Call::data && twin.pending_length() > before) ++data_overflows;
                }
                if (recent.size() == 12) recent.erase(recent.begin());
                recent.push_back(describe(call));
                const auto pending = static_cast<std::size_t>(twin.pending_length());
                longest = std::max(longest, pending);
                if (pending > 1000 && !far) far = true, ++held_far;
                ASSERT_TRUE(twin.same(pending <= 64 || step % 97 == 0))
                    << "call " << step << ", last calls: " << ::testing::PrintToString(recent);
                ++step;
                ++run_steps;
                if (after_overflow >= 0) ++after_overflow;
            }
        }
        twin.apply({Call::flush, 0, 0, {}}, 1);
        ASSERT_TRUE(twin.same(true)) << "final flush";
        EXPECT_EQ(twin.pending_length(), 0);
    }
    // The settings reach what they are there for.
    EXPECT_GT(runs, 3);
    EXPECT_GT(overflows, 0) << "no call outgrew the buffer";
    EXPECT_GT(data_overflows, 0) << "no data run outgrew the buffer after part of it was appended";
    EXPECT_GT(held_far, 0) << "never more than 1,000 characters pending";
    EXPECT_EQ(longest, static_cast<std::size_t>(Compactor::BUFFER_SIZE));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Equivalence,
    ::testing::Values(Setting{"level_a", Separators::level_a(), false, 1, 300000},
                      Setting{"level_b", Separators::level_b(), false, 2, 300000},
                      Setting{"level_a_without_line_ends", Separators::level_a(), true, 3, 200000},
                      Setting{"level_b_without_line_ends", Separators::level_b(), true, 4, 200000}),
    [](const ::testing::TestParamInfo<Setting>& info) { return std::string(info.param.name); });

// Short call sequences around the edges, each against the reference.
struct Script {
    const char* name;
    Separators sep;
    std::vector<Call> calls;
};
void PrintTo(const Script& s, std::ostream* os) { *os << s.name; }

class Scripts : public ::testing::TestWithParam<Script> {};

TEST_P(Scripts, SameAsReference) {
    const Script& script = GetParam();
    Twin twin(script.sep, false);
    int i = 0;
    for (const Call& call : script.calls) {
        twin.apply(call, 3);
        ASSERT_TRUE(twin.same(true)) << "call " << i << " " << describe(call);
        ++i;
    }
    twin.apply({Call::flush, 0, 0, {}}, 3);
    ASSERT_TRUE(twin.same(true));
}

std::vector<Call> puts(const std::string& s) {
    std::vector<Call> calls;
    for (const char c : s) calls.push_back({Call::put, c, 0, {}});
    return calls;
}
std::vector<Call> operator+(std::vector<Call> a, const std::vector<Call>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Call data(const char* run) { return {Call::data, 0, 0, run}; }
Call pair(char a, char b) { return {Call::pair, a, b, {}}; }

INSTANTIATE_TEST_SUITE_P(
    Cases, Scripts,
    ::testing::Values(
        // A lone release character is data and escapes the next character
        // while it is still pending, not once it has been written.
        Script{"lone_release_written_at_once", Separators::level_a(), puts("A+?+B'")},
        Script{"lone_release_held_escapes_a_separator", Separators::level_a(),
               puts("X+++++'\n?+") + puts(":A'")},
        Script{"lone_release_held_escapes_a_release", Separators::level_a(), puts("X+++++'\n??+:B'")},
        Script{"lone_release_from_a_pair_with_nul", Separators::level_a(),
               puts("X+++++'\n") + std::vector<Call>{pair('?', '\0')} + puts("'B'")},
        Script{"held_data_released_by_a_run_across_the_position", Separators::level_a(),
               puts("X++++++++'\n") + std::vector<Call>{data("UN"), data("HABCDEFG")}},
        Script{"held_data_run_below_the_position", Separators::level_a(),
               puts("X++++++++'\n") + std::vector<Call>{data("UN")} + puts(":+::") + std::vector<Call>{data("X")}}),
    [](const ::testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlune::compress
