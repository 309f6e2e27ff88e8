#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "harness.hpp"

namespace marlune::test {
namespace {

struct Case {
    const char* name;
    driver::Command command;
    bool remove_comments;
    bool no_newline;
    std::string input;
    std::string expected;
};
// Names the case in test listings.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Transliteration : public ::testing::TestWithParam<Case> {};

TEST_P(Transliteration, Converts) {
    const Case& c = GetParam();
    // The input may arrive in pieces of any size, as from a pipe.
    for (const std::size_t chunk : {std::size_t{16384}, std::size_t{1}, std::size_t{3}}) {
        Harness h(c.input, chunk);
        h.ctx.opt.REMOVE_COMMENTS = c.remove_comments;
        h.ctx.opt.NONEWLINE = c.no_newline;
        h.convert(c.command);
        EXPECT_EQ(h.output(), c.expected) << "pieces of " << chunk;
    }
}

using driver::Command;
const std::string GS = "\x1D", US = "\x1F", FS = "\x1C";

std::string times(const std::string& text, int n) {
    std::string all;
    for (int i = 0; i < n; ++i) all += text;
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Transliteration,
    ::testing::Values(
        Case{"ab_header", Command::ab, false, false, "UNB+UNOA:1+", "UNB" + GS + "UNOB" + US + "1" + GS},
        Case{"ba_header", Command::ba, false, false, "UNB" + GS + "UNOB" + US + "1" + GS, "UNB+UNOA:1+"},
        Case{"ba_header_with_plus", Command::ba, false, false, "UNB+UNOB", "UNB?+UNOA"},
        Case{"ab_every_header", Command::ab, false, false, "UNB+UNOA'UNB+UNOA",
             "UNB" + GS + "UNOB" + FS + "UNB" + GS + "UNOB"},
        Case{"ab_no_restart_after_mismatch", Command::ab, false, false, "UUNB+UNOA", "UUNB" + GS + "UNOA"},
        Case{"ab_mismatch_then_header", Command::ab, false, false, times("UX", 20) + "UNB+UNOA",
             times("UX", 20) + "UNB" + GS + "UNOB"},
        Case{"ab_R_header_across_dropped_comment", Command::ab, true, false, "U\n;c\nNB+UNOA", "U\nNB" + GS + "UNOB"},
        Case{"ab_released_terminator_then_una", Command::ab, false, false, "A?'UNA:+.? 'B", "A'UNA" + US + GS + ". " + FS + "B"},
        Case{"ab_released_plus", Command::ab, false, false, "?+", "+"},
        Case{"ab_released_release", Command::ab, false, false, "??", "?"},
        Case{"ab_released_line_end_kept_under_n", Command::ab, false, true, "A?\nB\nC'\r\n", "A\nBC" + FS},
        Case{"ab_release_at_end", Command::ab, false, false, "AB?", "AB"},
        Case{"ab_released_byte_not_matched", Command::ab, false, false, "UNB+UNO?A", "UNB" + GS + "UNOA"},
        Case{"ab_una", Command::ab, false, false, "UNA:+.? '", "UNA" + US + GS + ".  " + FS},
        Case{"ba_service_characters_in_data", Command::ba, false, false, "?'+:", "??" "?'?+?:"},
        Case{"ba_separators", Command::ba, false, false, "A" + GS + "B" + US + "C" + FS + "\n", "A+B:C'\n"},
        Case{"ab_comment_kept_without_R", Command::ab, false, false, ";+\n", ";" + GS + "\n"},
        Case{"ab_R_leading_comments", Command::ab, true, false, ";one\n;two\nA+B'\n", "A" + GS + "B" + FS + "\n"},
        Case{"ab_R_empty_and_comment_lines", Command::ab, true, false, "A\n\n;c\nB", "A\nB"},
        Case{"ab_R_leading_empty_line", Command::ab, true, false, "\n\nA", "\nA"},
        Case{"ab_R_comment_without_line_end", Command::ab, true, false, "A\n;c", "A\n"},
        Case{"ab_R_only_comment", Command::ab, true, false, ";c", ""},
        Case{"ab_R_semicolon_inside_line_is_data", Command::ab, true, false, "A;B\n", "A;B\n"},
        Case{"ba_R_comment_lines", Command::ba, true, false, ";x\nA" + GS + "\n;y\n\nB", "A+\nB"},
        Case{"ab_empty", Command::ab, false, false, "", ""},
        Case{"ab_long_input_under_n", Command::ab, false, true, times("AB+C'\r\nUNB+UNOA?+", 3000),
             times("AB" + GS + "C" + FS + "UNB" + GS + "UNOB+", 3000)},
        Case{"ba_long_input", Command::ba, false, false, times("A" + GS + "B:\r\nUNB" + GS + "UNOB", 3000),
             times("A+B?:\r\nUNB+UNOA", 3000)},
        Case{"ab_high_bytes_and_nul", Command::ab, false, false, std::string("\xE9\0\xFF", 3),
             std::string("\xE9\0\xFF", 3)}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlune::test

namespace marlune::test {
namespace {

// The run-at-a-time copying gives what byte-at-a-time delivery gives (input
// pieces of one byte never fill a block), on random texts dense in header
// fragments, separators, release characters and line ends.
TEST(Transliteration, BlocksMatchByteAtATime) {
    const std::vector<std::string> pieces = {"UNB+UNOA", "UNB+UNOB", "UNB\x1dUNOB", "U", "UU", "UNB", "+", ":", "'",
                                             "?", "??", "\n", "\r\n", ";c\n", "abcdefghijklmnop", "\x1d", "\x1f",
                                             "\x1c", "EUR", "UNH+1", "?'U", "?\n", "'UNA:+.? '", "'UNA*|.! ~",
                                             "!", "!*", "~U", "UNZ+1'", "unz", "\x1d?", "?\x1d", std::string(1, '\0')};
    std::mt19937 random(99);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        // Now and then long enough for the output buffer to go out a few
        // times in the middle of runs.
        const std::size_t length = round % 10 == 0 ? 50000 : 2000;
        while (text.size() < length) text += pieces[random() % pieces.size()];
        for (const auto command : {driver::Command::ab, driver::Command::ba}) {
            for (int flags = 0; flags < 4; ++flags) {
                std::string outputs[2];
                for (int i = 0; i < 2; ++i) {
                    Harness h(text, i == 0 ? io::Input::BLOCK : 1);
                    h.ctx.opt.REMOVE_COMMENTS = (flags & 1) != 0;
                    h.ctx.opt.NONEWLINE = (flags & 2) != 0 ? 1 : 0;
                    h.convert(command);
                    outputs[i] = h.output();
                }
                ASSERT_EQ(outputs[0], outputs[1]) << "round " << round << " flags " << flags;
            }
        }
    }
}

}  // namespace
}  // namespace marlune::test
