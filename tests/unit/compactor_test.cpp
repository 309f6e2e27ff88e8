#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/fatal.hpp"
#include "compress/compactor.hpp"
#include "io/output.hpp"

namespace marlune::compress {
namespace {

const Separators A = Separators::level_a();
const Separators B = Separators::level_b();

// Feeds one-character calls (and "?x" escape pairs when a piece has two
// characters) and collects what reaches the output.
class Feeder {
public:
    explicit Feeder(Separators sep = A) : sep_(sep), out_(sink_) {}

    std::string written() {
        out_.CFLUSH();
        return sink_.data();
    }
    void call(const std::string& piece) {
        if (piece.size() == 2)
            c_.put_pair(out_, 7, sep_, piece[0], piece[1]);
        else
            c_.put(out_, 7, sep_, piece.empty() ? '\0' : piece[0]);
    }
    void calls(const std::vector<std::string>& pieces) {
        for (const auto& p : pieces) call(p);
    }
    void flush() { c_.flush(out_, 7, sep_); }
    Compactor& compactor() { return c_; }
    io::Output& out() { return out_; }

private:
    Separators sep_;
    io::StringSink sink_;
    io::Output out_;
    Compactor c_;
};

std::vector<std::string> chars(const std::string& s) {
    std::vector<std::string> v;
    for (char c : s) v.emplace_back(1, c);
    return v;
}

// The NAD example, call by call: what has been written and what is pending.
TEST(Compactor, WorkedExampleCallByCall) {
    struct Step {
        std::string calls;
        std::string written;  // everything written so far
        std::string pending;
    };
    const std::vector<Step> steps = {
        {"NAD", "NAD", ""},          {"+", "NAD", "+"},
        {"B", "NAD+B", ""},          {"Y", "NAD+BY", ""},
        {"+", "NAD+BY", "+"},        {"123", "NAD+BY+123", ""},
        {"::", "NAD+BY+123", "::"},  {"9", "NAD+BY+123::9", ""},
        {"+::::", "NAD+BY+123::9", "+::::"},
        {"+", "NAD+BY+123::9", "++"},
        {"::+::+", "NAD+BY+123::9", "++++"},
        {"+++", "NAD+BY+123::9", "+++++++"},
        {"'", "NAD+BY+123::9'", ""},
        {"\n", "NAD+BY+123::9'", "\n"},
    };
    io::StringSink sink;
    io::Output out(sink);
    Compactor c;
    for (const Step& s : steps) {
        for (char ch : s.calls) c.put(out, 1, A, ch);
        out.CFLUSH();
        EXPECT_EQ(sink.data(), s.written) << "after " << s.calls;
        EXPECT_EQ(c.pending(), s.pending)
            << "after " << s.calls;
    }
    EXPECT_EQ(c.begin_alfa(), 7);
    EXPECT_EQ(c.longest_pending(), 8) << "the pending text never held more than 8 characters";
    c.flush(out, 1, A);
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "NAD+BY+123::9'\n");
}

struct Case {
    const char* name;
    std::vector<std::string> calls;
    std::string expected;
    Separators sep = A;
};
// Names the case in test listings.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Compaction : public ::testing::TestWithParam<Case> {};

TEST_P(Compaction, Writes) {
    const Case& c = GetParam();
    Feeder f(c.sep);
    f.calls(c.calls);
    f.flush();
    EXPECT_EQ(f.written(), c.expected);
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compaction,
    ::testing::Values(
        Case{"empty_components_in_the_middle", chars("QTY+::PCE'\n"), "QTY+::PCE'\n"},
        Case{"all_fields_empty", chars("UNS+'\n"), "UNS'\n"},
        Case{"empty_elements_before_data",
             chars("FTX+AAA++::+WHY") + std::vector<std::string>{"??"} + chars("::::+'\n"),
             "FTX+AAA+++WHY?" "?'\n"},
        Case{"escaped_separator_ends_an_element",
             chars("FTX+AAA++::+A") + std::vector<std::string>{"?+"} + chars("B") +
                 std::vector<std::string>{"?+"} + chars("::::+'\n"),
             "FTX+AAA+++A?+B?+'\n"},
        Case{"escaped_component_separator_before_element",
             chars("FTX+AAA++::+A") + std::vector<std::string>{"?:"} + chars("::::+EN'\n"),
             "FTX+AAA+++A?:+EN'\n"},
        Case{"escaped_terminator_mid_segment", chars("FTX+A") + std::vector<std::string>{"?'"} + chars("B+'\n"),
             "FTX+A?'B'\n"},
        Case{"escaped_release_then_separators", chars("FTX+A") + std::vector<std::string>{"??"} + chars("::+'\n"),
             "FTX+A?" "?'\n"},
        Case{"several_segments_with_line_ends_and_at",
             chars("UNS+'@\n") + chars("NAD+BY+:::+++'@\n") + chars("UNT+1+2'@\n"),
             "UNS'@\nNAD+BY'@\nUNT+1+2'@\n"},
        Case{"level_b_pair_contributes_nothing",
             std::vector<std::string>{"F", "\x1D", "A"} + std::vector<std::string>{std::string("\0+", 2)} +
                 std::vector<std::string>{"B", "\x1F", "\x1D", "\x1C", "\n"},
             "F\x1D" "AB\x1C\n", B},
        Case{"nul_contributes_nothing", std::vector<std::string>{"A", "", "B"}, "AB"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Compactor, FlushWithNothingPendingWritesNothing) {
    Feeder f;
    f.flush();
    EXPECT_EQ(f.written(), "");
    f.flush();
    EXPECT_EQ(f.written(), "");
}

TEST(Compactor, PendingLimit) {
    Feeder f;
    for (int i = 0; i < Compactor::BUFFER_SIZE; ++i) f.call("+");
    EXPECT_EQ(f.compactor().pending_length(), 16384) << "exactly 16,384 pending characters are accepted";
    try {
        f.call("+");
        FAIL() << "no overflow reported";
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.what(), "Out of bufferspace while printing segment at line 7\n");
    }
    EXPECT_EQ(f.compactor().pending_length(), 16384) << "nothing appended";
}

// Calls around the limit of 16,384 pending characters: `held` element
// separators (after the tag "ABC", which is written), optionally the flush
// (which empties the pending text and leaves the release position where the
// separators brought it), then one call, at the given line.
struct LimitCase {
    const char* name;
    int held;
    bool flushed;
    enum { separator, terminator, pair, data } call;
    std::size_t data_length;
    std::int64_t line;
    const char* message;  // "" when the call goes through
    int pending_after;
};
void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class Limit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(Limit, OverflowAndPendingLength) {
    const LimitCase& c = GetParam();
    io::StringSink sink;
    io::Output out(sink);
    Compactor compactor;
    compactor.put_data(out, 1, A, "ABC");
    for (int i = 0; i < c.held; ++i) compactor.put(out, 1, A, '+');
    if (c.flushed) compactor.flush(out, 1, A);
    const std::string run(c.data_length, 'x');
    std::string message;
    try {
        switch (c.call) {
            case LimitCase::separator: compactor.put(out, c.line, A, '+'); break;
            case LimitCase::terminator: compactor.put(out, c.line, A, '\''); break;
            case LimitCase::pair: compactor.put_pair(out, c.line, A, '?', '+'); break;
            case LimitCase::data: compactor.put_data(out, c.line, A, run); break;
        }
    } catch (const FatalError& e) {
        message = e.what();
    }
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(compactor.pending_length(), c.pending_after);
    if (c.call == LimitCase::data && c.flushed) {
        EXPECT_EQ(compactor.pending(), run.substr(0, static_cast<std::size_t>(c.pending_after)))
            << "what fits of the run is pending";
    }
    EXPECT_LE(compactor.longest_pending(), Compactor::BUFFER_SIZE);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Limit,
    ::testing::Values(
        LimitCase{"last_separator_that_fits", 16383, false, LimitCase::separator, 0, 7, "", 16384},
        LimitCase{"separator_past_the_limit", 16384, false, LimitCase::separator, 0, 7,
                  "Out of bufferspace while printing segment at line 7\n", 16384},
        LimitCase{"terminator_past_the_limit", 16384, false, LimitCase::terminator, 0, 7,
                  "Out of bufferspace while printing segment at line 7\n", 16384},
        LimitCase{"terminator_at_the_limit", 16383, false, LimitCase::terminator, 0, 7, "", 0},
        LimitCase{"pair_one_past_the_limit", 16383, false, LimitCase::pair, 0, 7,
                  "Out of bufferspace while printing segment at line 7\n", 16383},
        LimitCase{"line_number_beyond_32_bits", 16384, false, LimitCase::separator, 0, 5000000000,
                  "Out of bufferspace while printing segment at line 5000000000\n", 16384},
        // With the release position at the limit, data stays pending up to
        // the limit, and the character past it ends the run.
        LimitCase{"data_run_up_to_the_limit", 16384, true, LimitCase::data, 16384, 7, "", 16384},
        LimitCase{"data_run_past_the_limit", 16384, true, LimitCase::data, 16385, 9,
                  "Out of bufferspace while printing segment at line 9\n", 16384},
        // With the release position one short of it, the run is written.
        LimitCase{"data_run_reaching_the_release_position", 16383, true, LimitCase::data, 20000, 7, "", 0}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST(Compactor, FormattedCallsMatchCharacterCalls) {
    io::StringSink sink;
    io::Output out(sink);
    Compactor c;
    c.cprintf(out, 1, A, "%c", 'N');
    c.cprintf(out, 1, A, "%c%c", 'A', 'D');
    c.cprintf(out, 1, A, "%c", '+');
    c.cprintf(out, 1, A, "%c%c", '?', '+');
    c.cprintf(out, 1, A, "%c", ':');
    c.cprintf(out, 1, A, "%c", '\'');
    c.cprintf(out, 1, A, "@");
    c.cprintf(out, 1, A, "\n");
    c.cprintf(out, 1, B, "%c%c", 0, 'x');
    c.cprintf(out, 1, A, nullptr);
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "NAD+?+'@\n");
}

// A formatted piece of more than two characters is taken a character at a
// time, escape pairs kept together; the limit applies to the whole piece.
TEST(Compactor, LongerFormattedPieces) {
    const std::vector<std::string> pieces = {"NAD", "+BY+::9", "?+A??", "::+::'\n", "UNS+:+'"};
    io::StringSink sink;
    io::Output out(sink);
    Compactor formatted;
    Feeder characters;
    for (const std::string& piece : pieces) {
        formatted.cprintf(out, 1, A, "%s", piece.c_str());
        for (std::size_t i = 0; i < piece.size(); ++i) {
            if (piece[i] == '?') {
                characters.call(piece.substr(i++, 2));
            } else {
                characters.call(piece.substr(i, 1));
            }
        }
        EXPECT_EQ(formatted.pending(), characters.compactor().pending()) << "after " << piece;
        EXPECT_EQ(formatted.begin_alfa(), characters.compactor().begin_alfa()) << "after " << piece;
    }
    formatted.flush(out, 1, A);
    characters.flush();
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "NAD+BY+::9?+A?" "?'\nUNS'");
    EXPECT_EQ(characters.written(), sink.data());

    const std::string long_piece(Compactor::BUFFER_SIZE - 2, 'x');
    formatted.put(out, 1, A, '+');
    formatted.put(out, 1, A, '+');
    EXPECT_THROW(formatted.cprintf(out, 1, A, "%s+", long_piece.c_str()), FatalError);
    EXPECT_EQ(formatted.pending_length(), 2) << "nothing appended";
}

// A run of data characters handed over at once leaves the same output and
// the same pending state as one call per character, at every point of a
// random call sequence, at both levels.
TEST(Compactor, DataRunsMatchCharacterCalls) {
    std::mt19937 random(4711);
    for (const Separators sep : {A, B}) {
        const std::string separators{static_cast<char>(sep.element), static_cast<char>(sep.component),
                                     static_cast<char>(sep.terminator)};
        Feeder bytewise(sep), runs(sep);
        for (int step = 0; step < 20000; ++step) {
            const unsigned kind = random() % 6;
            if (kind == 0) {
                const std::string piece(1, separators[random() % 3]);
                bytewise.call(piece);
                runs.call(piece);
            } else if (kind == 1) {
                const std::string pair{static_cast<char>(sep.release), separators[random() % 3]};
                bytewise.call(pair);
                runs.call(pair);
            } else {
                std::string data;
                for (unsigned n = random() % 5; n > 0; --n) data.push_back(static_cast<char>('a' + random() % 26));
                for (char ch : data) bytewise.call(std::string(1, ch));
                runs.compactor().put_data(runs.out(), 7, sep, data);
            }
            ASSERT_EQ(runs.compactor().pending(), bytewise.compactor().pending())
                << "step " << step;
            ASSERT_EQ(runs.compactor().begin_alfa(), bytewise.compactor().begin_alfa()) << "step " << step;
        }
        bytewise.flush();
        runs.flush();
        EXPECT_EQ(runs.written(), bytewise.written());
        EXPECT_EQ(runs.compactor().longest_pending(), bytewise.compactor().longest_pending());
    }
}

}  // namespace
}  // namespace marlune::compress
