// Compiling a definition text into its table of fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/compile_definition.hpp"
#include "text_definition.hpp"

namespace marlune {
// Field as lead, type, width and column in test messages.
void PrintTo(const Field& f, std::ostream* os) { *os << f.lead << f.type << f.width << '@' << f.column; }
}  // namespace marlune

namespace marlune::test {
namespace {

struct Good {
    const char* name;
    const char* text;
    std::vector<Field> fields;
};
void PrintTo(const Good& c, std::ostream* os) { *os << c.name; }

class Compiles : public ::testing::TestWithParam<Good> {};

TEST_P(Compiles, FieldsWithColumns) {
    const Good& c = GetParam();
    std::vector<Field> fields;
    EXPECT_EQ(compile_definition(c.text, fields), "");
    EXPECT_EQ(fields, c.fields);
    std::uint32_t width = 3;
    for (const Field& f : c.fields) width += f.width;
    EXPECT_EQ(TextDefinition(c.text).get().line_width, width);
    EXPECT_EQ(TextDefinition(c.text).get().tag(), std::string(c.text, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compiles,
    ::testing::Values(
        // lead, type, width, column, then the tail: the ':' fields before
        // the first '+' from the field on, and the greatest k + c over its
        // k-th '+' field followed by c ':' fields.
        Good{"composite", "MOA++A3:N18:A3:A3:A3'",
             {{'+', 'A', 3, 4, 0, 5},
              {':', 'N', 18, 7, 4, 0},
              {':', 'A', 3, 25, 3, 0},
              {':', 'A', 3, 28, 2, 0},
              {':', 'A', 3, 31, 1, 0}}},
        Good{"simple_elements", "UNT++N6+A14'", {{'+', 'N', 6, 4, 0, 2}, {'+', 'A', 14, 10, 0, 1}}},
        Good{"tag_alone", "UNA+'", {}},
        Good{"lower_case_types", "UST++n2:a512'", {{'+', 'n', 2, 4, 0, 2}, {':', 'a', 512, 6, 1, 0}}},
        Good{"widest", "XYZ++A65535+N1'", {{'+', 'A', 65535, 4, 0, 2}, {'+', 'N', 1, 65539, 0, 1}}},
        // From the front, the third '+' reaches furthest (3 + 1).
        Good{"tail_reach_from_a_later_element", "ABC++A1:A1:A1+A1+A1:A1'",
             {{'+', 'A', 1, 4, 0, 4},
              {':', 'A', 1, 5, 2, 3},
              {':', 'A', 1, 6, 1, 3},
              {'+', 'A', 1, 7, 0, 3},
              {'+', 'A', 1, 8, 0, 2},
              {':', 'A', 1, 9, 1, 0}}},
        // The first composite reaches furthest (1 + 3).
        Good{"tail_reach_from_the_first_composite", "DEF++A1:A1:A1:A1+A1+A1'",
             {{'+', 'A', 1, 4, 0, 4},
              {':', 'A', 1, 5, 3, 2},
              {':', 'A', 1, 6, 2, 2},
              {':', 'A', 1, 7, 1, 2},
              {'+', 'A', 1, 8, 0, 2},
              {'+', 'A', 1, 9, 0, 1}}}),
    [](const ::testing::TestParamInfo<Good>& info) { return std::string(info.param.name); });

struct Bad {
    const char* name;
    const char* text;
    const char* reason;
};
void PrintTo(const Bad& c, std::ostream* os) { *os << c.name; }

// The generator's test runs the commonest faults through a data file.
class Rejected : public ::testing::TestWithParam<Bad> {};

TEST_P(Rejected, WithTheReason) {
    const Bad& c = GetParam();
    std::vector<Field> fields;
    EXPECT_EQ(compile_definition(c.text, fields), c.reason);
    EXPECT_THROW(TextDefinition{c.text}, std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rejected,
    ::testing::Values(
        Bad{"single_plus_then_field", "XYZ+A3:A3'", "expected '+', ':' or \"'\" at position 5"},
        Bad{"plus_as_type", "MOA++A3+'", "unknown type letter ''' at position 9"},
        Bad{"type_at_end", "MOA++", "field without a type letter at the end"},
        Bad{"leading_zero", "MOA++A03'", "width with a leading zero at position 7"},
        Bad{"too_wide", "MOA++A65536'", "width above 65535 at position 7"},
        Bad{"many_digits", "MOA++A123456789012345678901'", "width above 65535 at position 7"},
        Bad{"junk_after_width", "MOA++A3x:A3'", "unexpected character after the width at position 8"},
        Bad{"short_tag", "MO", "the tag must be three upper-case letters"}),
    [](const ::testing::TestParamInfo<Bad>& info) { return std::string(info.param.name); });

TEST(Compile, LineWiderThanAColumnCanCount) {
    // 65,537 fields of 65,535 columns pass the 32-bit column range.
    std::string text = "XYZ+";
    for (int i = 0; i < 65537; ++i) text += "+A65535";
    text += "'";
    std::vector<Field> fields;
    EXPECT_EQ(compile_definition(text.c_str(), fields), "line too wide at position " +
                                                            std::to_string(4 + 65536 * 7 + 1));
    EXPECT_EQ(fields.size(), 65536u);
}

}  // namespace
}  // namespace marlune::test
