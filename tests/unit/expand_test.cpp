#include <gtest/gtest.h>

#include "directory/lookup.hpp"
#include "expand/read_tag.hpp"
#include "harness.hpp"
#include "text_definition.hpp"

namespace marlune::test {
namespace {

struct Case {
    const char* name;
    const char* definition;
    std::string input;  // what follows the tag
    std::string expected;
    int next;  // byte returned
    double total = 0;
    bool force = false;
    char zero = ' ';
    bool level_b = false;
    std::string errors = "";  // warnings
};
// Names the case in test listings.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Expansion : public ::testing::TestWithParam<Case> {};

TEST_P(Expansion, WritesTheLine) {
    const Case& c = GetParam();
    // Values are read a run at a time from the input block: the result must
    // not depend on where the blocks end.
    for (const std::size_t chunk : {std::size_t{16384}, std::size_t{1}, std::size_t{2}}) {
        Harness h(c.input, chunk);
        h.ctx.opt.force = c.force;
        h.ctx.opt.UNCOMPRESSED_ZERO = c.zero;
        h.ctx.opt.DOCNTNUM = true;  // the total is kept for -num
        if (c.level_b) h.ctx.sep = Separators::level_b();
        EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition(c.definition)), c.next) << "pieces of " << chunk;
        EXPECT_EQ(h.output(), c.expected) << "pieces of " << chunk;
        EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, c.total);
        EXPECT_EQ(h.errors(), c.errors);
    }
}

// Without -num nothing reads the total: the values are not added up.
TEST(Expansion, NoTotalWithoutNum) {
    Harness h("+203:1234.50:EUR'");
    driver::read_tag(h.ctx, TextDefinition("MOA++A3:N18:A3:A3:A3'"));
    EXPECT_EQ(h.output(), "MOA203000000000001234.50EUR" + std::string(6, ' ') + "\n");
    EXPECT_EQ(h.ctx.msg.cntnum, 0.0);
}

const char* const FTX = "FTX++A3+A3+A3:A3:A3+A70:A70:A70:A70:A70+A3'";
const char* const QTY = "QTY++A3:N15:A3'";

INSTANTIATE_TEST_SUITE_P(
    Cases, Expansion,
    ::testing::Values(
        Case{"worked_example", "MOA++A3:N18:A3:A3:A3'", "+203:-1234.5:EUR'\n",
             "MOA203-000000000001234.5EUR" + blanks(6) + "\n", '\n', -1234.5},
        Case{"missing_fields", QTY, "+21'", "QTY21" + blanks(19) + "\n", 26},
        Case{"missing_fields_zero_fill", QTY, "+21'", "QTY21 " + zeros(15) + blanks(3) + "\n", 26, 0, false, '0'},
        Case{"missing_fields_forced", QTY, "+21'", "QTY21 " + zeros(14) + "1-  \n", 26, 1, true},
        Case{"empty_numeric_forced", QTY, "+21::PCE'", "QTY21 " + blanks(14) + "1PCE\n", 26, 1, true},
        Case{"empty_numeric_forced_zero_fill", QTY, "+21::PCE'", "QTY21 " + zeros(14) + "1PCE\n", 26, 1, true,
             '0'},
        Case{"release_characters", FTX, "+AAA+++Price?: 10?+ tax'",
             "FTXAAA" + blanks(12) + "Price: 10+ tax" + blanks(56) + blanks(280) + blanks(3) + "\n", 26},
        Case{"tag_alone", "UNA+'", ":+.? '", "UNA\n", '+'},
        Case{"surplus_component", "DTM++A3:A35:A3'", "+137:0301:102:X'\n",
             "DTM1370301" + blanks(31) + "102\n", 'X'},
        Case{"surplus_shifts_fields", FTX, "+AAA++1:2:3:4+HELLO'\n",
             "FTXAAA   1  2  3  " + blanks(70) + "4" + blanks(69) + blanks(210) + "HELLO\n", '\n', 0, false, ' ', false,
             "Warning: value longer than its field: FTX field 11 holds 5 characters for 3 (line 1); the columns after "
             "it shift\n"},
        Case{"terminator_only", "BGM++A3:A3:A3:A35+A35+A3+A3'", "'", "BGM" + blanks(85) + "\n", 26},
        Case{"value_longer_than_width", "MOA++A3:N18:A3:A3:A3'", "+1:12345678901234567890'",
             "MOA1  12345678901234567890" + blanks(9) + "\n", 26, 12345678901234567890.0, false, ' ', false,
             "Warning: value longer than its field: MOA field 2 holds 20 characters for 18 (line 1); the columns after "
             "it shift\n"},
        Case{"negative_fits_width", "XYZ++N5'", "+-12'", "XYZ-0012\n", 26, -12},
        Case{"decimal_comma_counts_up_to_comma", "XYZ++N5'", "+12,5'", "XYZ012,5\n", 26, 12},
        Case{"level_b", "MOA++A3:N18:A3:A3:A3'", "\x1D" "203\x1F-1234.5\x1F" "EUR\x1C\n",
             "MOA203-000000000001234.5EUR" + blanks(6) + "\n", '\n', -1234.5, false, ' ', true},
        Case{"level_b_nul_releases", "XYZ++A5'", std::string("\x1D" "a\0\x1C" "b\x1C", 6), "XYZa\x1C" "b  \n", 26, 0,
             false, ' ', true},
        Case{"line_end_inside_value_is_layout", "XYZ++A5'", "+a\nb'", "XYZab   \n", 26},
        Case{"cr_lf_after_tag_and_in_value", "XYZ++A5'", "\r\n+a\r\nb'", "XYZab   \n", 26},
        Case{"released_line_end_is_data", "XYZ++A5'", "+a?\nb'", "XYZa\nb  \n", 26},
        Case{"lower_n_like_upper", "UST++n2'", "+5'", "UST05\n", 26, 5}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Expansion, AddAtAndCarriageReturn) {
    Harness h("+1'X");
    h.ctx.add_at = true;
    h.ctx.add_cr = true;
    EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition("UNS++A1'")), 'X');
    EXPECT_EQ(h.output(), "UNS1@\r\n");
}

TEST(Expansion, InputEndingInsideSegment) {
    struct Cut {
        std::string input;
        std::string expected;
    };
    const char* def = "MOA++A3:N18:A3:A3:A3'";
    for (const Cut& c : std::vector<Cut>{
             {"", "MOA" + blanks(3) + blanks(18) + blanks(9)},
             {"+", "MOA" + blanks(3) + blanks(18) + blanks(9)},
             {"+20", "MOA20 " + blanks(18) + blanks(9)},
             {"+203:12", "MOA203" + zeros(16) + "12" + blanks(9)},
             {"+203:12?", "MOA203" + zeros(16) + "12" + blanks(9)},
         }) {
        Harness h(c.input);
        h.ctx.add_at = true;
        EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition(def)), io::END_OF_INPUT);
        EXPECT_EQ(h.output(), c.expected + "@\n") << c.input;
        EXPECT_EQ(h.errors(), "Warning: input ends inside segment MOA (line 1)\n") << c.input;
    }
}

// Values longer than their fields are written whole; the first of the
// run is reported where it is met, the number of them at the end of the
// run when there was more than one. A total written by -num counts too.
TEST(Expansion, ValuesLongerThanTheirFields) {
    struct Case {
        const char* name;
        std::string input;
        bool num;
        std::string errors;
    };
    const std::string first = "Warning: value longer than its field: ";
    for (const Case& c : std::initializer_list<Case>{
             {"none", "UNH+1+ORDERS:D:96A:UN'\nTMP+2+13:CEL'\n", false, ""},
             {"one", "UNH+1+ORDERS:D:96A:UN'\nTMP+2+13.6:CEL'\n", false,
              first + "TMP field 2 holds 4 characters for 3 (line 2); the columns after it shift\n"},
             {"three", "UNH+1+ORDERS:D:96A:UN'\nTMP+2+13.6:CEL'\nTMP+2+-1.5:CEL'\nLOC+11+ABCDEFGHIJKLMNOPQRSTUVWXYZ0'\n",
              false,
              first + "TMP field 2 holds 4 characters for 3 (line 2); the columns after it shift\n" +
                  "Warning: 3 values longer than their fields\n"},
             {"num_total", "UNH+1+ORDERS:D:96A:UN'\nMOA+1:10.1'\nMOA+1:20.2'\nCNT+2:1'\n", true,
              first + "CNT field 2 holds 21 characters for 18 (line 4); the columns after it shift\n"},
         }) {
        Harness h(c.input);
        h.ctx.opt.DOCNTNUM = c.num;
        ASSERT_TRUE(directory::findTheDIREC(h.ctx.dir, "D.96A"));
        h.convert(driver::Command::au);
        EXPECT_EQ(h.errors(), "New directory (UNH.0052) 'D' detected (message 1, line 1)\n" + c.errors) << c.name;
        EXPECT_EQ(h.ctx.dir.loss_warnings, c.errors.empty() ? 0 : 1) << c.name;
    }
}

TEST(Expansion, ValuesOfAnyLength) {
    const std::string value(40000, 'v');
    Harness h("+" + value + "'");
    driver::read_tag(h.ctx, TextDefinition("FTX++A3'"));
    EXPECT_EQ(h.output(), "FTX" + value + "\n");
}

TEST(Expansion, NumberTotalInCnt) {
    // The total goes into every numeric component after the first of its
    // data element, whatever the input holds there; each write adds the
    // total to itself.
    Harness h("+2:99'\n+2'\n");
    h.ctx.opt.DOCNTNUM = true;
    h.ctx.msg.cntnum = 1244.5;
    EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition("CNT++A3:N18:A3'")), '\n');
    EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, 2489);
    EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition("CNT++A3:N18:A3'")), '\n');
    EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, 4978);
    EXPECT_EQ(h.output(), "CNT2  " + zeros(12) + "1244.5" + blanks(3) + "\nCNT2  " + zeros(14) + "2489" +
                              blanks(3) + "\n");
}

TEST(Expansion, NumberTotalOnlyInCnt) {
    Harness h("+2:99'");
    h.ctx.opt.DOCNTNUM = true;
    h.ctx.msg.cntnum = 5;
    driver::read_tag(h.ctx, TextDefinition("QTY++A3:N18:A3'"));
    EXPECT_EQ(h.output(), "QTY2  " + zeros(16) + "99" + blanks(3) + "\n");
}

}  // namespace
}  // namespace marlune::test
