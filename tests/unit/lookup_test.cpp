#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>

#include "common/definition.hpp"
#include "directory/lookup.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

TEST(TagCode, LettersOfEitherCase) {
    struct Case {
        const char* window;
        int code;  // -1: no tag
    };
    for (const Case& c : std::vector<Case>{{"AAA", 0},
                                           {"ZZZ", 26425},
                                           {"FCA", 69},
                                           {"MOA", 460},
                                           {"moa", 460},
                                           {"UNB", 1460},
                                           {"NAD", 3085},
                                           {"UNH", 7604},
                                           {"ARR", 17952},
                                           {"UNZ", 26036},
                                           {"MO1", -1},
                                           {"MO+", -1},
                                           {"AB'", -1},
                                           {"1AB", -1},
                                           {"M\xC9X", -1},
                                           {"M[A", -1},
                                           {"M`A", -1}}) {
        const auto code = directory::tag_code(c.window);
        EXPECT_EQ(code ? int{*code} : -1, c.code) << c.window;
    }
}

struct DirCase {
    const char* name;
    int result;
    int index;
    const char* direc;
    const char* mstypever;
    const char* messages;
};

TEST(FindTheDIREC, NamesAndNormalisation) {
    for (const DirCase& c : std::vector<DirCase>{
             {"88.1", 1, -1, "881", "", ""},
             {"  d.96a  ", 1, 10, "96A", "", ""},
             {"S.93A", 1, 5, "93A", "S", ""},
             {"D.93A", 1, 5, "93A", "", ""},
             {"d.99A", 1, 16, "99A", "", ""},
             {"I.98B", 1, 15, "98B", "",
              "You specified an interactive directory to be used\n"
              "Use the -I option to make use of interactive directories\n"
              "For now I'll assume 'D.98B' and try again\n"},
             {"IX", 0, 0, "", "",
              "You specified an interactive directory to be used\n"
              "Use the -I option to make use of interactive directories\n"
              "For now I'll assume 'DX' and try again\n"},
             {"95C", 0, 0, "", "", ""},
             {"D.96A                   beyond the first 24 characters", 1, 10, "96A", "", ""},
             {"D.96A               ", 1, 10, "96A", "", ""},
             {"", 0, 0, "", "", ""},
         }) {
        Harness h("");
        EXPECT_EQ(directory::findTheDIREC(h.ctx.dir, c.name), c.result) << c.name;
        EXPECT_EQ(h.ctx.dir._DIREC, c.index) << c.name;
        EXPECT_EQ(h.ctx.dir.DIREC, c.direc) << c.name;
        EXPECT_EQ(h.ctx.dir.MSTYPEVER, c.mstypever) << c.name;
        EXPECT_EQ(h.errors(), c.messages) << c.name;
    }
}

TEST(FindDirec, ExactCodesOnly) {
    struct Case {
        const char* code;
        int index;
    };
    for (const Case& c : std::vector<Case>{{"882", -1}, {"881", -1}, {"902", 0},  {"912", 2}, {"93A", 5},
                                           {"96A", 10}, {"99A", 16}, {"96A ", -2}, {"96a", -2}, {"99B", -2},
                                           {"", -2}}) {
        Harness h("");
        directory::findDirec(h.ctx.dir, c.code);
        EXPECT_EQ(h.ctx.dir._DIREC, c.index) << c.code;
        EXPECT_EQ(h.errors(), c.index == -2 ? "Warning: I don't know of directory '" + std::string(c.code) + "'\n"
                                            : "")
            << c.code;
    }
}

// What the recogniser writes and reports for a whole -au run.
struct RunCase {
    const char* name;
    std::string input;
    int index;  // directory index at start
    bool interactive;
    bool findinfo;
    std::string expected;
    std::string messages;
};
// Names the case in test listings.
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class Recogniser : public ::testing::TestWithParam<RunCase> {};

TEST_P(Recogniser, Resolves) {
    const RunCase& c = GetParam();
    Harness h(c.input);
    h.ctx.dir._DIREC = c.index;
    h.ctx.dir.INTERACTIVE = c.interactive;
    h.ctx.dir.GENFINDINFO = c.findinfo;
    h.convert(driver::Command::au);
    EXPECT_EQ(h.output(), c.expected);
    EXPECT_EQ(h.errors(), c.messages);
}

std::string chain_lines(const char* tag, int from) {
    static const char* names[] = {"88.1",  "90.2",  "91.1",  "91.2",  "92.1",  "93.2",
                                  "D.93A", "D.94A", "D.94B", "D.95A", "D.95B", "D.96A",
                                  "D.96B", "D.97A", "D.97B", "D.98A", "D.98B", "D.99A"};
    std::string s;
    for (int k = from; k > -1; --k)
        s += std::string("'") + tag + "' not found in " + names[k + 1] + ", searching " + names[k] + "\n";
    return s;
}

const std::string TVL_97A = "TVL" + std::string(14 + 4 + 14 + 4 + 5 + 25 + 70 + 105 + 35 + 17 + 3 + 17 * 3 + 90 + 6 + 3, ' ') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Recogniser,
    ::testing::Values(
        RunCase{"unknown_tag_is_skipped", "XQZ+1'UNS+D'", 0, false, false, "UNSD\n",
                "Can't uncompress/compress tag 'XQZ' (line 1), tag is unknown to me\n"},
        RunCase{"unknown_tag_with_chain", "UNQ'", 16, false, true, "",
                chain_lines("UNQ", 16) + "Can't uncompress/compress tag 'UNQ' (line 1), tag is unknown to me\n"},
        RunCase{"lower_case_prefix_is_not_service", "unq'", 16, false, true, "",
                chain_lines("unq", 16) + "Warning: tag unq not found in directory  at line 1 (using default)\n" +
                    "Can't uncompress/compress tag 'unq' (line 1), tag is unknown to me\n"},
        RunCase{"interactive_first", "TVL'", 12, true, false, TVL_97A, ""},
        RunCase{"interactive_needs_option", "TVL'", 12, false, false, "",
                "Can't uncompress/compress tag 'TVL' (line 1), tag is unknown to me\n"},
        RunCase{"interactive_not_below_96B", "TVL'", 10, true, false, "",
                "Can't uncompress/compress tag 'TVL' (line 1), tag is unknown to me\n"},
        RunCase{"no_directory_goes_to_default", "MOA+1'", -2, false, true, "MOA1  " + std::string(18 + 9, ' ') + "\n",
                ""},
        RunCase{"lower_case_tag_written_in_capitals", "moa+203'", 10, false, false,
                "MOA203" + std::string(18 + 9, ' ') + "\n", ""},
        RunCase{"comment_line_skipped", ";UNS+X'\nUNS+D'", 0, false, false, "UNSD\n", ""},
        RunCase{"byte_after_segment_is_not_a_comment", "UNS+D';UNS+X'\nUNS+E'", 0, false, false,
                "UNSD\nUNSX\nUNSE\n", ""}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

// The text of a definition found, nullptr for none.
const char* text_of(const Definition* d) { return d != nullptr ? d->text : nullptr; }

TEST(Resolve, ChainAndDefaults) {
    Harness h("");
    // D.98B has no RFF: it comes from D.98A.
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, 15, 5297)), "RFF++A3:A35:A6:A35'");
    // 88.1 has no MOA: the default table answers.
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, -1, 460)), "MOA++A3:N18:A3:A3:A3'");
    // Service segments of the newer directories come from 91.2.
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, 10, 7604)), "UNH++A14+A6:A3:A3:A2:A6+A35+N2:A1'");
    // S.93A for messages of version S.
    h.ctx.dir.MSTYPEVER = "S";
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, 5, 2400)), "ALC++A3+A35:A3+A3+A3+A3:A3:A3'");
    h.ctx.dir.MSTYPEVER = "D";
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, 5, 2400)), "ALC++A3+A35:A3+A3+A3+A3:A3:A3:A35'");
}

// What one lookup said: the definition, its table and the messages.
struct Said {
    const Definition* definition;
    std::string table, messages;
    std::int64_t warnings;
    bool operator==(const Said&) const = default;
};

Said look(directory::Selection& dir, const char* tag) {
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* err = open_memstream(&text, &length);
    dir.err = err;
    const std::int64_t before = dir.loss_warnings;
    const directory::Resolution r = directory::ifthenelse(dir, tag, 7);
    std::fclose(err);
    Said said{r.definition, r.table ? r.table : "", std::string(text, length), dir.loss_warnings - before};
    std::free(text);
    return said;
}

// A selection that has looked up many tags under changing directories,
// versions and options answers every lookup as a fresh one does, with the
// same messages: an unknown tag is reported each time, and -w traces
// every search.
TEST(Recogniser, RememberedTagsAnswerAsAFreshLookup) {
    const char* const tags[] = {"UNH", "BGM", "DTM", "NAD", "LIN", "MOA", "TVL", "ALC", "RFF", "XQZ",
                                "unq", "moa", "UNZ", "PRI", "FTX", "EQD", "AAA", "ZZZ"};
    const int directories[] = {-2, -1, 0, 3, 5, 10, 12, 16, 17, 40, 66};
    std::mt19937 rng(4711);
    Harness h("");
    directory::Selection& remembering = h.ctx.dir;
    for (int round = 0; round < 6000; ++round) {
        switch (rng() % 8) {
            case 0:
                remembering._DIREC = directories[rng() % std::size(directories)];
                break;
            case 1:
                remembering.MSTYPEVER = rng() % 2 ? "S" : "D";
                break;
            case 2:
                remembering.INTERACTIVE = !remembering.INTERACTIVE;
                break;
            case 3:
                remembering.EXTENDED = !remembering.EXTENDED;
                break;
            case 4:
                remembering.GENFINDINFO = rng() % 4 == 0;
                break;
            default:
                break;
        }
        const char* tag = tags[rng() % std::size(tags)];
        directory::Selection fresh(nullptr);
        fresh._DIREC = remembering._DIREC;
        fresh.MSTYPEVER = remembering.MSTYPEVER;
        fresh.INTERACTIVE = remembering.INTERACTIVE;
        fresh.EXTENDED = remembering.EXTENDED;
        fresh.GENFINDINFO = remembering.GENFINDINFO;
        fresh.DIREC = remembering.DIREC;
        const Said want = look(fresh, tag), got = look(remembering, tag);
        ASSERT_EQ(got.definition, want.definition) << round << " " << tag;
        ASSERT_EQ(got.table, want.table) << round << " " << tag;
        ASSERT_EQ(got.messages, want.messages) << round << " " << tag;
        ASSERT_EQ(got.warnings, want.warnings) << round << " " << tag;
    }
}

}  // namespace
}  // namespace marlune::test
