// Expansion and compression walk the compiled fields of a definition. For a
// sample of catalogue rows, random segments are converted both ways and
// compared with what a walk of the definition text with the field reader
// says the line and the segment must be.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/definition.hpp"
#include "directory/catalogue.hpp"
#include "expand/read_tag.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

// A random segment under one definition text, at level A, every value
// fitting its field.
struct Sample {
    std::string input;     // the compressed segment after its tag
    std::string line;      // its uncompressed line after the tag, with the line end
    std::string segment;   // the segment compressed back, tag and line end included
    std::vector<std::string> cells;  // each field as the line holds it
};

std::string escaped(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '+' || c == ':' || c == '\'' || c == '?') out += '?';
        out += c;
    }
    return out;
}

std::string random_value(std::mt19937& rng, char type, long width) {
    auto pick = [&rng](std::string_view from) { return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)]; };
    if (type == 'n') {  // full width: compression keeps the field as it stands
        std::string v;
        for (long i = 0; i < width; ++i) v += pick("0123456789");
        return v;
    }
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) return "";
    const long n = std::uniform_int_distribution<long>(1, std::min(width, 12L))(rng);
    std::string v;
    for (long i = 0; i < n; ++i) v += type == 'N' ? pick(i == 0 ? "123456789" : "0123456789") : pick("ABZaz09 .+:'?-");
    if (type != 'N' && v.back() == ' ') v.back() = 'x';  // compression drops trailing blanks
    return v;
}

// Walks the text field by field: the reference for both directions.
Sample make_sample(const char* text, std::mt19937& rng) {
    Sample s;
    std::vector<std::vector<std::string>> elements;
    for (const char* pos = text + 4; *pos == '+' || *pos == ':';) {
        const FieldSpecifier f = parse_field(pos);
        if (*pos == '+') elements.emplace_back();
        std::string v = random_value(rng, f.type, f.width);
        const std::size_t pad = static_cast<std::size_t>(f.width) - v.size();
        // Numbers behind zeros, an empty one all blanks; text before blanks.
        std::string cell = f.type == 'N' && !v.empty() ? std::string(pad, '0') + v : v + std::string(pad, ' ');
        s.line += cell;
        s.cells.push_back(std::move(cell));
        elements.back().push_back(std::move(v));
        pos = f.next;
    }
    s.line += '\n';
    s.segment = std::string(text, 3);
    std::string kept;  // trailing empty components and data elements dropped
    for (const auto& element : elements) {
        s.input += '+';
        std::string joined;
        std::size_t last = element.size();
        while (last > 0 && element[last - 1].empty()) --last;
        for (std::size_t i = 0; i < element.size(); ++i) {
            if (i != 0) s.input += ':';
            s.input += escaped(element[i]);
            if (i < last) {
                if (i != 0) joined += ':';
                joined += escaped(element[i]);
            }
        }
        kept += '+';
        kept += joined;
        if (!joined.empty()) {
            s.segment += kept;
            kept.clear();
        }
    }
    s.input += "'\n";
    s.segment += "'\n";
    return s;
}

class TableWalk : public ::testing::TestWithParam<std::size_t> {};

TEST_P(TableWalk, RandomSegmentsBothWays) {
    const auto& table = directory::catalogue_tables()[GetParam()];
    std::mt19937 rng(static_cast<unsigned>(GetParam()) * 7919u + 1);
    int converted = 0;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const Definition& def = table.rows[r];
        if (r % 4 != GetParam() % 4 && def.tag() != "ARR") continue;
        for (int round = 0; round < 2; ++round) {
            const Sample s = make_sample(def.text, rng);

            Harness expand(s.input);
            EXPECT_EQ(driver::read_tag(expand.ctx, def), '\n') << def.tag();
            const std::string line = expand.output();
            ASSERT_EQ(line, std::string(def.tag()) + s.line) << table.name << " " << def.tag() << " " << s.input;
            ASSERT_EQ(line.size(), def.line_width + 1u) << def.tag();
            for (std::size_t i = 0; i < def.fields.size(); ++i) {
                ASSERT_EQ(line.substr(def.fields[i].column - 1, def.fields[i].width), s.cells[i])
                    << def.tag() << " field " << i + 1;
            }

            Harness compress(s.line);
            compress.ctx.direction = true;
            EXPECT_EQ(driver::read_tag(compress.ctx, def), '\n') << def.tag();
            compress.ctx.compactor.flush(compress.out, 1, compress.ctx.sep);
            ASSERT_EQ(compress.output(), s.segment) << table.name << " " << def.tag() << " " << s.input;
            ++converted;
        }
    }
    EXPECT_GE(converted, 2 * static_cast<int>(table.rows.size() / 4));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, TableWalk,
                         ::testing::Range<std::size_t>(0, directory::catalogue_tables().size()),
                         [](const auto& info) {
                             std::string name = directory::catalogue_tables()[info.param].name;
                             for (char& c : name) c = c == '.' ? '_' : c;
                             return name;
                         });

}  // namespace
}  // namespace marlune::test
