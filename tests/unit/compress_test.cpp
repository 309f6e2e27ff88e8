#include <gtest/gtest.h>

#include "compress/to_compr.hpp"
#include "expand/read_tag.hpp"
#include "harness.hpp"
#include "text_definition.hpp"

namespace marlune::test {
namespace {

struct FieldCase {
    const char* name;
    std::string value;
    char type;
    std::string expected;
    double total = 0;
    bool force = false;
};
// Names the case in test listings.
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class PrtField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(PrtField, Writes) {
    const FieldCase& c = GetParam();
    Harness h("");
    h.ctx.opt.force = c.force;
    std::string text = c.value;
    compress::prt_field(h.ctx, h.ctx.compactor, text, c.type);
    h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
    EXPECT_EQ(h.output(), c.expected);
    EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, c.total);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrtField,
    ::testing::Values(
        FieldCase{"all_zeros", zeros(18), 'N', "0"},
        FieldCase{"negative", "-00000000001234.50", 'N', "-1234.50", -1234.5},
        FieldCase{"blank", blanks(18), 'N', ""},
        FieldCase{"blank_forced", blanks(18), 'N', "1", 1, true},
        FieldCase{"fraction", "000000000000000.50", 'N', ".50", 0.5},
        FieldCase{"minus_not_first", "   -12", 'N', "12", -12},
        FieldCase{"trailing_blanks_kept", "0012  ", 'N', "12  ", 12},
        FieldCase{"minus_alone", "-  ", 'N', "-"},
        FieldCase{"fixed_numeric", "05", 'n', "05", 5},
        FieldCase{"fixed_numeric_blank", "  ", 'n', "  "},
        FieldCase{"fixed_numeric_blank_forced", "  ", 'n', "  ", 0, true},
        FieldCase{"alphanumeric", " AB  ", 'A', " AB"},
        FieldCase{"alphanumeric_blank", "   ", 'A', ""},
        FieldCase{"alphanumeric_blank_forced", "   ", 'A', "-", 0, true},
        FieldCase{"lower_a", "x ", 'a', "x"},
        FieldCase{"service_characters", "a+b:c'd?e", 'A', "a?+b?:c?'d??e"},
        FieldCase{"exponent", "00001E3", 'N', "1E3", 1000}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(PrtField, LevelBDropsSeparatorCharacters) {
    Harness h("");
    h.ctx.sep = Separators::level_b();
    std::string text = "a\x1D" "b\x1F" "c\x1C" "d?e";
    compress::prt_field(h.ctx, h.ctx.compactor, text, 'A');
    h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
    EXPECT_EQ(h.output(), "abcd?e");
}

struct LineCase {
    const char* name;
    const char* definition;
    std::string input;  // the line after the tag
    std::string expected;
    int next;
    bool force = false;
    bool level_b = false;
};
// Names the case in test listings.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class Compression : public ::testing::TestWithParam<LineCase> {};

TEST_P(Compression, WritesTheSegment) {
    const LineCase& c = GetParam();
    Harness h(c.input);
    h.ctx.direction = true;
    h.ctx.opt.force = c.force;
    if (c.level_b) h.ctx.sep = Separators::level_b();
    EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition(c.definition)), c.next);
    h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
    EXPECT_EQ(h.output(), c.expected);
}

const char* const MOA = "MOA++A3:N18:A3:A3:A3'";
const std::string MOA_LINE = "203000000000001234.50EUR" + blanks(6) + "\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Compression,
    ::testing::Values(
        LineCase{"worked_example", MOA, MOA_LINE, "MOA+203:1234.50:EUR'\n", '\n'},
        LineCase{"worked_example_forced", MOA, MOA_LINE, "MOA+203:1234.50:EUR:-:-'\n", '\n', true},
        LineCase{"worked_example_level_b", MOA, MOA_LINE, "MOA\x1D" "203\x1F" "1234.50\x1F" "EUR\x1C\n", '\n',
                 false, true},
        LineCase{"short_line_takes_next_line", "QTY++A3:N15:A3'", "21\n000000000000005PCEX",
                 "QTY+21:5:PCE'\n", 'X'},
        LineCase{"advice_written_whole", "UNA+'", "\nUNB", "UNA:+.? '\n", '\n'},
        LineCase{"input_ends_inside_line", MOA, "203000000000001", "MOA+203:1'\n", io::END_OF_INPUT},
        LineCase{"empty_middle_component", "QTY++A3:N15:A3'", "   " + blanks(15) + "PCE\n", "QTY+::PCE'\n",
                 '\n'},
        // Fields in the blanks that end a line: an "n" field is still
        // written as it stands, -f still fills the others.
        LineCase{"fixed_numeric_in_blank_tail", "USH++A3+A3+n2+A3'", "1  " + blanks(8) + "\n", "USH+1++  '\n",
                 '\n'},
        LineCase{"blank_tail_forced", "QTY++A3:N15:A3'", "21 " + blanks(18) + "\n", "QTY+21:1:-'\n", '\n', true},
        LineCase{"blank_tail_of_free_text", "FTX++A3+A3+A3:A3:A3+A70:A70:A70:A70:A70+A3'",
                 "AAI" + blanks(12) + "text" + blanks(66 + 283) + "\n", "FTX+AAI+++text'\n", '\n'}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// However the input arrives (a pipe delivers short blocks), lines with and
// without blank tails compress the same.
TEST(Compression, SameWhateverTheBlocks) {
    const std::string lines = MOA_LINE + "MOA" + "203" + blanks(27) + "\n" + "MOA" + blanks(30) + "\n" + "MOA" + MOA_LINE;
    std::string whole;
    for (const std::size_t chunk : {io::Input::BLOCK, std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
        Harness h(lines, chunk);
        h.ctx.direction = true;
        const TextDefinition moa(MOA);
        int next = driver::read_tag(h.ctx, moa);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(next, '\n');
            for (int t = 0; t < 3; ++t) h.in.FGETC();  // the next tag
            next = driver::read_tag(h.ctx, moa);
        }
        h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
        if (chunk == io::Input::BLOCK) whole = h.output();
        EXPECT_EQ(h.output(), whole) << "blocks of " << chunk;
    }
    EXPECT_EQ(whole, "MOA+203:1234.50:EUR'\nMOA+203'\nMOA'\nMOA+203:1234.50:EUR'\n");
}

TEST(Compression, AddAtAndCarriageReturn) {
    Harness h(MOA_LINE);
    h.ctx.direction = true;
    h.ctx.add_at = true;
    h.ctx.add_cr = true;
    driver::read_tag(h.ctx, TextDefinition(MOA));
    h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
    EXPECT_EQ(h.output(), "MOA+203:1234.50:EUR'@\r\n");
}

TEST(Compression, NumberTotalAfterNum) {
    // The field after a "NUM" qualifier receives the total; other
    // qualifiers leave the field alone.
    Harness h("NUM000000000000000099   \n2  000000000000000099   \n");
    h.ctx.direction = true;
    h.ctx.opt.DOCNTNUM = true;
    h.ctx.msg.cntnum = 40;
    const char* cnt = "CNT++A3:N18:A3'";
    driver::read_tag(h.ctx, TextDefinition(cnt));
    EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, 80) << "the total written adds itself; the replaced 99 adds nothing";
    driver::read_tag(h.ctx, TextDefinition(cnt));
    EXPECT_DOUBLE_EQ(h.ctx.msg.cntnum, 179);
    h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
    EXPECT_EQ(h.output(), "CNT+NUM:40'\nCNT+2:99'\n");
}

// The message header capture on the compression side sees the field as
// prt_field leaves it: under -f a field of blanks is captured as the dash
// written for it, a field that read nothing (its line ended) as nothing.
TEST(Compression, HeaderCaptureOfEmptyFields) {
    struct Case {
        const char* name;
        std::string release;  // the UNH line from the release field on
        bool force;
        const char* captured;
    };
    const std::string head = "1" + blanks(13) + "ORDERS" + "D  ";
    for (const Case& c : std::initializer_list<Case>{
             {"blanks_forced", "   \n", true, "-"},
             {"blanks", "   \n", false, ""},
             {"nothing_read_forced", "\n", true, ""},
             {"zeros_numeric_like", "0  \n", true, "0"},
             {"value", "96a\n", true, "96A"},
         }) {
        Harness h(head + c.release);
        h.ctx.direction = true;
        h.ctx.opt.force = c.force;
        h.ctx.dir.DIREC = "XXX";  // so that every capture is reported
        h.ctx.dir.MSTYPEVER = "D";
        driver::read_tag(h.ctx, TextDefinition("UNH++A14+A6:A3:A3:A2:A6+A35+N2:A1'"));
        EXPECT_EQ(h.ctx.dir.DIREC, c.captured) << c.name;
        EXPECT_NE(h.errors().find(std::string("(UNH.0054) '") + c.captured + "' detected"), std::string::npos)
            << c.name << ": " << h.errors();
    }
}

}  // namespace
}  // namespace marlune::test
