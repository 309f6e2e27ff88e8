// The compiled field tables of every catalogue row against a walk of the
// row's text with the field reader, as the converters walked it before
// the tables existed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_support.hpp"
#include "common/definition.hpp"

namespace {

using marlune::Definition;
using marlune::Field;
using marlune::parse_field;
using marlune::directory::catalogue_tables;

// Lead, type, width and first column of every field, read from the text.
std::vector<Field> walk_text(const char* text) {
    std::vector<Field> fields;
    std::uint32_t column = 4;
    for (const char* pos = text + 4; *pos == '+' || *pos == ':';) {
        const auto f = parse_field(pos);
        fields.push_back({*pos, f.type, static_cast<std::uint16_t>(f.width), column});
        column += static_cast<std::uint32_t>(f.width);
        pos = f.next;
    }
    return fields;
}

std::string describe(const Field& f) {
    return std::string{f.lead, f.type} + std::to_string(f.width) + "@" + std::to_string(f.column);
}

class CompiledFields : public ::testing::TestWithParam<std::size_t> {
protected:
    const marlune::directory::CatalogueTable& table() const { return catalogue_tables()[GetParam()]; }
};

TEST_P(CompiledFields, EqualTheWalkOfTheText) {
    std::size_t checked = 0;
    for (const Definition& row : table().rows) {
        const std::vector<Field> want = walk_text(row.text);
        ASSERT_EQ(row.fields.size(), want.size()) << row.tag();
        for (std::size_t i = 0; i < want.size(); ++i) {
            ASSERT_EQ(describe(row.fields[i]), describe(want[i])) << row.tag() << " field " << i + 1;
        }
        ++checked;
    }
    EXPECT_EQ(checked, table().rows.size());
    EXPECT_GT(checked, 0u);
}

TEST_P(CompiledFields, LineWidthIsTagAndWidths) {
    for (const Definition& row : table().rows) {
        std::uint32_t width = 3;
        for (const Field& f : row.fields) width += f.width;
        EXPECT_EQ(row.line_width, width) << row.tag();
        if (!row.fields.empty()) {
            EXPECT_EQ(row.fields.front().lead, '+') << row.tag();
            EXPECT_EQ(row.fields.back().column + row.fields.back().width - 1, row.line_width) << row.tag();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CompiledFields, ::testing::Range<std::size_t>(0, catalogue_tables().size()),
                         [](const auto& info) {
                             std::string name = catalogue_tables()[info.param].name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(CompiledFields, RowsWithTheSameFieldsShareThem) {
    // Keyed by the text after the tag: UNT, UNE and UNZ share "++N6+A14'".
    std::map<std::string_view, const Field*> first;
    std::size_t rows = 0;
    std::size_t shared = 0;
    // The 25 directories up to D.99A and the default table.
    for (const auto& t : catalogue_tables().first(26)) {
        for (const Definition& row : t.rows) {
            ++rows;
            if (row.fields.empty()) continue;
            const auto [it, fresh] = first.try_emplace(std::string_view(row.text + 3), row.fields.data());
            if (!fresh) {
                EXPECT_EQ(it->second, row.fields.data()) << t.name << " " << row.tag();
                ++shared;
            }
        }
    }
    EXPECT_EQ(rows, 2349u);
    EXPECT_EQ(shared, 1948u);  // 2,348 rows with fields, 400 different
}

TEST(CompiledFields, RowsOfTheSameTextAreOneRow) {
    // Across all tables, the releases after D.99A included: a text is held
    // by one definition, whatever the tables that hold it.
    std::map<std::string_view, const Definition*> first;
    std::size_t rows = 0;
    for (const auto& t : catalogue_tables()) {
        for (const Definition& row : t.rows) {
            ++rows;
            const auto [it, fresh] = first.try_emplace(std::string_view(row.text), &row);
            EXPECT_EQ(it->second, &row) << t.name << " " << row.tag();
        }
    }
    EXPECT_GT(rows, 10 * first.size());
}

TEST(CompiledFields, ArrColumns) {
    // D.99A: A35:A10, then 100 x 100 A35; the last field ends the line of 350,048 columns.
    const Definition* arr = marlune::test::find_table("D.99A")->lookup(marlune::test::code_of("ARR"));
    ASSERT_NE(arr, nullptr);
    ASSERT_EQ(arr->fields.size(), 10002u);
    EXPECT_EQ(arr->fields[1].column, 39u);
    EXPECT_EQ(arr->fields[2].column, 49u);
    EXPECT_EQ(arr->fields[2].lead, '+');
    EXPECT_EQ(arr->fields[3].lead, ':');
    EXPECT_EQ(arr->fields.back().column, 3u + 35 + 10 + 9999 * 35 + 1);
    EXPECT_EQ(arr->line_width, 350048u);
}

}  // namespace
