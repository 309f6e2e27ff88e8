#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/advice.hpp"
#include "directory/lookup.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

using driver::Command;
const std::string GS = "\x1D", US = "\x1F", FS = "\x1C";

// The six bytes after "UNA", read or refused.
struct ReadCase {
    const char* name;
    std::string six;
    bool valid;
    Separators sep{};
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class AdviceRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(AdviceRead, TakesOrRefuses) {
    const ReadCase& c = GetParam();
    const auto advice = ServiceAdvice::read(c.six);
    ASSERT_EQ(advice.has_value(), c.valid);
    if (advice) {
        EXPECT_EQ(advice->sep, c.sep);
        EXPECT_EQ(advice->decimal, c.six[2]);
        EXPECT_EQ(advice->reserved, c.six[4]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AdviceRead,
    ::testing::Values(ReadCase{"default", ":+.? '", true, {'+', ':', '\'', '?'}},
                      ReadCase{"caret_star_dollar", "^*.? $", true, {'*', '^', '$', '?'}},
                      ReadCase{"backslash_release", "!^.\\ ~", true, {'^', '!', '~', '\\'}},
                      ReadCase{"blank_release_is_none", ":+.  '", true, {'+', ':', '\'', 0}},
                      ReadCase{"line_feed_terminator", ":+.? \n", true, {'+', ':', '\n', '?'}},
                      ReadCase{"decimal_comma", ":+,? '", true, {'+', ':', '\'', '?'}},
                      ReadCase{"repetition_separator", ":+.?*'", true, {'+', ':', '\'', '?'}},
                      ReadCase{"short", ":+.? ", false},
                      ReadCase{"other_decimal_mark", ":+;? '", false},
                      ReadCase{"letter_separator", "A+.? '", false},
                      ReadCase{"digit_separator", ":1.? '", false},
                      ReadCase{"blank_separator", ": .? '", false},
                      ReadCase{"two_separators_alike", "::.? '", false},
                      ReadCase{"terminator_like_element", ":+.? +", false},
                      ReadCase{"release_like_separator", ":+.: '", false},
                      ReadCase{"apostrophe_first", "'\nUNB+", false}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// Runs a whole command over `input` and returns its output.
std::string run(Command command, const std::string& input, std::size_t chunk = io::Input::BLOCK,
                std::string* errors = nullptr, const char* directory = nullptr, bool no_newline = false) {
    Harness h(input, chunk);
    h.ctx.opt.NONEWLINE = no_newline ? 1 : 0;
    if (directory != nullptr) directory::findTheDIREC(h.ctx.dir, directory);
    h.convert(command);
    if (errors != nullptr) *errors = h.errors();
    return h.output();
}

// A level A interchange in its plain form (no advice), with released data.
const std::string kInterchange =
    "UNB+UNOA:1+SENDER+RECEIVER+961231:1200+1'UNH+1+ORDERS:D:96A:UN'BGM+220+PO?:4711+9'"
    "FTX+AAA+++Price?: 10?+ tax?'s?? best'QTY+21:48:PCE'MOA+203:-1234.5:EUR'UNT+6+1'UNZ+1+1'";

// The same interchange written with the service characters of `advice`
// after the advice itself; nothing when its data cannot be written so
// (a data byte that is a separator of the advice, which has no release).
std::optional<std::string> reencode(const std::string& level_a, const std::string& six) {
    const Separators to = ServiceAdvice::read(six)->sep;
    std::string out = "UNA" + six;
    for (std::size_t i = 0; i < level_a.size(); ++i) {
        char c = level_a[i];
        if (c == '+') {
            out += static_cast<char>(to.element);
        } else if (c == ':') {
            out += static_cast<char>(to.component);
        } else if (c == '\'') {
            out += static_cast<char>(to.terminator);
        } else {
            if (c == '?') c = level_a[++i];
            const auto s = static_cast<signed char>(c);
            if (to.separates(s) || (to.release != 0 && s == to.release)) {
                if (to.release == 0) return std::nullopt;
                out += static_cast<char>(to.release);
            }
            out += c;
        }
    }
    return out;
}

// The forms met in real interchanges, and some more.
const char* const kForms[] = {"^*.? $", "=*.? ~", "!^.\\ ~", ":+.? #", ":|.? '", ":+.? \n", ":+,? '",
                              ":+.\\*'", ":+.!*'", "\x1F\x1D.  \x1C", "#@.%*!"};

TEST(Advice, ExpansionReadsEveryFormAsThePlainInterchange) {
    std::string plain_errors;
    const std::string plain = run(Command::au, kInterchange, io::Input::BLOCK, &plain_errors);
    for (const char* six : kForms) {
        const auto input = reencode(kInterchange, six);
        ASSERT_TRUE(input) << six;
        for (const std::size_t chunk : {std::size_t{16384}, std::size_t{1}, std::size_t{5}}) {
            std::string errors;
            EXPECT_EQ(run(Command::au, *input, chunk, &errors), "UNA\n" + plain) << six << " pieces of " << chunk;
            // Line numbers are the same unless the advice made the line feed a separator.
            if (six[5] != '\n') {
                EXPECT_EQ(errors, plain_errors) << six;
            }
        }
        // The level of the command does not matter inside the advice's interchange.
        EXPECT_EQ(run(Command::bu, *input), "UNA\n" + plain) << six;
    }
}

TEST(Advice, TransliterationGoesThereAndBackToThePlainForm) {
    for (const char* six : kForms) {
        const auto input = reencode(kInterchange, six);
        ASSERT_TRUE(input) << six;
        for (const std::size_t chunk : {std::size_t{16384}, std::size_t{1}, std::size_t{7}}) {
            const std::string b = run(Command::ab, *input, chunk);
            EXPECT_EQ(b.substr(0, 9), ServiceAdvice::level_b(six[2], six[4])) << six;
            EXPECT_EQ(b.find("UNOA"), std::string::npos) << six;
            EXPECT_EQ(run(Command::ba, b, chunk), ServiceAdvice::level_a(six[2], six[4]) + kInterchange)
                << six << " pieces of " << chunk;
        }
    }
}

TEST(Advice, RandomAdvicesGiveThePlainExpansion) {
    std::mt19937 rng(20261209);
    const std::string candidates = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~\x1C\x1D\x1F\n";
    const std::string plain = run(Command::au, kInterchange);
    int tried = 0;
    for (int n = 0; n < 400; ++n) {
        std::string six(6, ' ');
        for (const int k : {0, 1, 5}) six[static_cast<std::size_t>(k)] = candidates[rng() % candidates.size()];
        six[2] = rng() % 2 ? '.' : ',';
        six[3] = rng() % 4 == 0 ? ' ' : candidates[rng() % candidates.size()];
        six[4] = rng() % 2 ? ' ' : '*';
        if (!ServiceAdvice::read(six)) continue;
        const auto input = reencode(kInterchange, six);
        if (!input) continue;
        ++tried;
        EXPECT_EQ(run(Command::au, *input, 1 + rng() % 9), "UNA\n" + plain) << six;
        EXPECT_EQ(run(Command::ba, run(Command::ab, *input)), ServiceAdvice::level_a(six[2], six[4]) + kInterchange)
            << six;
    }
    EXPECT_GT(tried, 100);
}

TEST(Advice, RoundTripThroughTheUncompressedFormKeepsTheLines) {
    for (const char* six : kForms) {
        const std::string lines = run(Command::au, *reencode(kInterchange, six));
        const std::string back = run(Command::ua, lines);
        EXPECT_EQ(back.substr(0, 10), "UNA:+.? '\n") << six;
        EXPECT_EQ(run(Command::au, back), lines) << six;
    }
}

// Whole runs of the cases around an advice: where it ends, and what is not one.
struct RunCase {
    const char* name;
    Command command;
    std::string input;
    std::string expected;
    std::string errors = "";
    const char* directory = nullptr;
    bool no_newline = false;
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class AdviceRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(AdviceRun, Converts) {
    const RunCase& c = GetParam();
    for (const std::size_t chunk : {std::size_t{16384}, std::size_t{1}, std::size_t{4}}) {
        std::string errors;
        EXPECT_EQ(run(c.command, c.input, chunk, &errors, c.directory, c.no_newline), c.expected)
            << "pieces of " << chunk;
        EXPECT_EQ(errors, c.errors) << "pieces of " << chunk;
    }
}

const std::string QTY = "QTY21 000000000000048PCE\n";
const std::string UNZ = "UNZ0000011             \n";

INSTANTIATE_TEST_SUITE_P(
    Cases, AdviceRun,
    ::testing::Values(
        // The advice's set holds up to its UNZ; the next interchange is read
        // with the command's own set.
        RunCase{"set_ends_with_unz", Command::au, "UNA^*.? $QTY*21^48^PCE$UNZ*1*1$QTY+21:48:PCE'",
                "UNA\n" + QTY + UNZ + QTY},
        RunCase{"lower_case_unz_ends_it_too", Command::au, "UNA^*.? $unz*1*1$QTY+21:48:PCE'", "UNA\n" + UNZ + QTY},
        RunCase{"second_advice_replaces_first", Command::au, "UNA^*.? $QTY*21^48^PCE$UNA:|.? 'QTY|21:48:PCE'",
                "UNA\n" + QTY + "UNA\n" + QTY},
        // Not advices: read as without one.
        RunCase{"cut_off_by_the_end", Command::au, "QTY+21:48:PCE'UNA:+.", QTY + "UNA\n"},
        RunCase{"apostrophe_after_tag", Command::au, "UNA'\nQTY+21:48:PCE'", "UNA\n" + QTY},
        RunCase{"lower_case_una", Command::au, "una^*.? $QTY+21:48:PCE'", "UNA\n" + QTY},
        // Where no directory defines UNA, the unknown-tag message, then the
        // six bytes are still read.
        RunCase{"unknown_under_88_1", Command::au, "UNA^*.? $QTY*21$",
                "QTY21" + std::string(19, ' ') + "\n",
                "Can't uncompress/compress tag 'UNA' (line 1), tag is unknown to me\n", "88.1"},
        // The compression writes every UNA line as the complete advice of its
        // level, under -n too.
        RunCase{"ua_level_a", Command::ua, "UNA\n" + QTY, "UNA:+.? '\nQTY+21:48:PCE'\n"},
        RunCase{"ua_lower_case_line", Command::ua, "una\n", "UNA:+.? '\n"},
        RunCase{"ua_no_newline", Command::ua, "UNA\n" + QTY, "UNA:+.? 'QTY+21:48:PCE'", "", nullptr, true},
        RunCase{"ub_level_b", Command::ub, "UNA\n", "UNA" + US + GS + ".  " + FS + "\n"},
        // Transliteration: an advice only at a segment start; a comment line
        // is data without -R.
        RunCase{"ab_after_line_ends", Command::ab, "\r\nUNA:+.? 'A+B'", "\r\nUNA" + US + GS + ".  " + FS + "A" + GS + "B" + FS},
        RunCase{"ab_not_after_data", Command::ab, "X'Y UNA:+.? '", "X" + FS + "Y UNA" + US + GS + ". " + FS},
        RunCase{"ab_not_after_comment", Command::ab, ";c\nUNA^*.? $", ";c\nUNA^*. $"},
        RunCase{"ab_header_with_element_in_force", Command::ab, "UNA^*.? $UNB*UNOA^1$",
                "UNA" + US + GS + ".  " + FS + "UNB" + GS + "UNOB" + US + "1" + FS},
        RunCase{"ab_advice_ends_with_unz", Command::ab, "UNA^*.? $UNZ*1$A*B'C",
                "UNA" + US + GS + ".  " + FS + "UNZ" + GS + "1" + FS + "A*B" + FS + "C"},
        // -ba honours the advice's release character.
        RunCase{"ba_release_of_advice", Command::ba, "UNA^*.! $A*B!*C!:$", "UNA:+.? 'A+B*C?:'"},
        RunCase{"ba_level_b_advice", Command::ba, "UNA" + US + GS + ".  " + FS + "A" + GS + "B" + FS,
                "UNA:+.? 'A+B'"}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlune::test
