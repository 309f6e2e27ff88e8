#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    h.ctx.opt.DOCNTNUM = true;  // the total is kept for -num
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
        // A "-" among the fill is the sign of what follows it.
        FieldCase{"minus_after_blanks", "   -12", 'N', "-12", -12},
        FieldCase{"minus_after_blanks_wide", blanks(10) + "-1234.50", 'N', "-1234.50", -1234.5},
        FieldCase{"minus_before_zeros", "-00001234.50", 'N', "-1234.50", -1234.5},
        FieldCase{"minus_after_zeros", "00000000000-1234.5", 'N', "-1234.5", 0},
        FieldCase{"minus_between_blanks_and_zeros", "  -0012", 'N', "-12", -12},
        FieldCase{"minus_after_blanks_one_digit", "-", 'N', "-"},
        FieldCase{"zeros_and_minus_only", "  -000", 'N', "0"},
        FieldCase{"blanks_and_minus_only", "  -  ", 'N', ""},
        FieldCase{"trailing_blanks_kept", "0012  ", 'N', "12  ", 12},
        FieldCase{"minus_alone", "-  ", 'N', "-"},
        FieldCase{"fixed_numeric", "05", 'n', "05", 5},
        FieldCase{"fixed_numeric_zeros", "0004", 'n', "0004", 4},
        FieldCase{"fixed_numeric_trailing_blank", "5 ", 'n', "5 ", 5},
        // A fixed-length number of blanks is empty, as an "N" one.
        FieldCase{"fixed_numeric_blank", "  ", 'n', ""},
        FieldCase{"fixed_numeric_blank_forced", "  ", 'n', "1", 1, true},
        FieldCase{"fixed_numeric_nothing_forced", "", 'n', "1", 1, true},
        FieldCase{"alphanumeric", " AB  ", 'A', " AB"},
        FieldCase{"alphanumeric_blank", "   ", 'A', ""},
        FieldCase{"alphanumeric_blank_forced", "   ", 'A', "-", 0, true},
        FieldCase{"lower_a", "x ", 'a', "x"},
        FieldCase{"service_characters", "a+b:c'd?e", 'A', "a?+b?:c?'d??e"},
        FieldCase{"exponent", "00001E3", 'N', "1E3", 1000}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

// Without -num nothing reads the total: the values are not added up.
TEST(PrtField, NoTotalWithoutNum) {
    Harness h("");
    compress::prt_field(h.ctx, h.ctx.compactor, "000000000000001234", 'N');
    compress::prt_field(h.ctx, h.ctx.compactor, "12", 'n');
    EXPECT_EQ(h.ctx.msg.cntnum, 0.0);
}

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
        LineCase{"short_line_ends_at_its_line_feed", "QTY++A3:N15:A3'", "21\n000000000000005PCEX",
                 "QTY+21'\n", '\n'},
        LineCase{"short_line_ends_at_carriage_return_line_feed", "QTY++A3:N15:A3'", "21 48\r\nQTY",
                 "QTY+21:48'\n", '\r'},
        LineCase{"carriage_return_alone_is_data", "QTY++A3:N15:A3'", "21 48\rX\nQTY", "QTY+21:48\rX'\n", '\n'},
        LineCase{"advice_written_whole", "UNA+'", "\nUNB", "UNA:+.? '\n", '\n'},
        LineCase{"input_ends_inside_line", MOA, "203000000000001", "MOA+203:1'\n", io::END_OF_INPUT},
        LineCase{"empty_middle_component", "QTY++A3:N15:A3'", "   " + blanks(15) + "PCE\n", "QTY+::PCE'\n",
                 '\n'},
        // Fields in the blanks that end a line write nothing, "n" fields
        // too; -f fills them.
        LineCase{"fixed_numeric_in_blank_tail", "USH++A3+A3+n2+A3'", "1  " + blanks(8) + "\n", "USH+1'\n", '\n'},
        LineCase{"fixed_numeric_in_blank_tail_forced", "USH++A3+A3+n2+A3'", "1  " + blanks(8) + "\n",
                 "USH+1+-+1+-'\n", '\n', true},
        LineCase{"fixed_numeric_kept", "USH++A3+A3+n2+A3'", "1  X  07   \n", "USH+1+X+07'\n", '\n'},
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

// A line cut anywhere (trailing blanks removed, or a line written short)
// ends at its line end: the field being read ends there, every later field
// is empty, and the line end is the byte after the segment (a carriage
// return before a line feed, which is then read next). The same holds for
// the end of the input, and wherever the input blocks end.
TEST(Compression, LineCutAtEveryPosition) {
    const std::vector<std::string> values = {"203", "000000000001234.50", "EUR", "ABC", "DEF"};
    std::string full;
    for (const std::string& v : values) full += v;
    // What the cut line compresses to: each field's part, an "N" field
    // without its leading zeros, trailing empty fields dropped.
    auto expected = [&](std::size_t cut) {
        std::vector<std::string> parts;
        std::size_t at = 0;
        for (std::size_t f = 0; f < values.size(); ++f) {
            std::string part = full.substr(std::min(at, cut), std::min(cut, at + values[f].size()) - std::min(at, cut));
            if (f == 1 && !part.empty()) {
                const auto first = part.find_first_not_of('0');
                part = first == std::string::npos ? "0" : part.substr(first);
            }
            parts.push_back(part);
            at += values[f].size();
        }
        while (!parts.empty() && parts.back().empty()) parts.pop_back();
        std::string out = "MOA";
        for (std::size_t f = 0; f < parts.size(); ++f) out += (f == 0 ? "+" : ":") + parts[f];
        return out + "'\n";
    };
    struct End {
        const char* name;
        std::string bytes;
        int next;       // returned
        int then_read;  // the byte read after it
    };
    for (const End& end : std::initializer_list<End>{
             {"line feed", "\n", '\n', 'U'},
             {"carriage return and line feed", "\r\n", '\r', '\n'},
             {"end of input", "", io::END_OF_INPUT, io::END_OF_INPUT},
         }) {
        for (std::size_t cut = 0; cut < full.size(); ++cut) {
            for (const std::size_t chunk : {io::Input::BLOCK, std::size_t{1}, std::size_t{7}}) {
                const std::string input = full.substr(0, cut) + end.bytes + (end.bytes.empty() ? "" : "UNT");
                Harness h(input, chunk);
                h.ctx.direction = true;
                h.in.LINENO = 2;
                const std::string where = std::string(end.name) + ", cut " + std::to_string(cut) + ", blocks of " +
                                          std::to_string(chunk);
                EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition(MOA)), end.next) << where;
                EXPECT_EQ(h.in.FGETC(), end.then_read) << where;
                h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
                EXPECT_EQ(h.output(), expected(cut)) << where;
                EXPECT_EQ(h.errors(), "") << where;
            }
        }
    }
}

// A line longer than its layout, in an input with line ends: the rest of
// the line is passed over up to its line feed, which is returned, and
// reported with the characters before the line end. On the first line (no
// line end seen yet, as in a file written with -n) the rest is left to the
// segment loop, as is anything after a line end of the layout.
TEST(Compression, LineLongerThanItsLayout) {
    struct Case {
        const char* name;
        std::string rest;  // after the fields
        std::int64_t line;
        int next;
        int then_read;
        const char* warning;
    };
    const std::string fields = MOA_LINE.substr(0, 30);
    const std::string warn = "Warning: line 4 is longer than the layout of MOA (";
    for (const Case& c : std::initializer_list<Case>{
             {"three_letters", "XYZCOMPANY\nUNT", 4, '\n', 'U', "10 characters not converted)\n"},
             {"carriage_return", "XYZ\r\nUNT", 4, '\n', 'U', "3 characters not converted)\n"},
             {"at_sign", "XYZ@\r\nUNT", 4, '\n', 'U', "3 characters not converted)\n"},
             {"at_sign_line_feed", "XYZ@\nUNT", 4, '\n', 'U', "3 characters not converted)\n"},
             {"blanks", "  \nUNT", 4, '\n', 'U', "2 characters not converted)\n"},
             {"input_ends", "XYZ", 4, io::END_OF_INPUT, io::END_OF_INPUT, "3 characters not converted)\n"},
             {"long", std::string(40000, 'x') + "\nUNT", 4, '\n', 'U', "40000 characters not converted)\n"},
             {"first_line", "XYZ\nUNT", 1, 'X', 'Y', nullptr},
             {"fits_at_sign", "@XYZ\nUNT", 4, '@', 'X', nullptr},
             {"fits_carriage_return", "\rXYZ\nUNT", 4, '\r', 'X', nullptr},
         }) {
        for (const std::size_t chunk : {io::Input::BLOCK, std::size_t{1}, std::size_t{7}}) {
            Harness h(fields + c.rest, chunk);
            h.ctx.direction = true;
            h.in.LINENO = c.line;
            EXPECT_EQ(driver::read_tag(h.ctx, TextDefinition(MOA)), c.next) << c.name;
            EXPECT_EQ(h.in.FGETC(), c.then_read) << c.name;
            h.ctx.compactor.flush(h.out, 1, h.ctx.sep);
            EXPECT_EQ(h.output(), "MOA+203:1234.50:EUR'\n") << c.name;
            EXPECT_EQ(h.errors(), c.warning ? warn + c.warning : "") << c.name << ", blocks of " << chunk;
            EXPECT_EQ(h.ctx.dir.loss_warnings, c.warning ? 1 : 0) << c.name;
        }
    }
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
