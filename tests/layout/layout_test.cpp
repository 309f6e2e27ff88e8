#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "../unit/text_definition.hpp"
#include "directory/lookup.hpp"
#include "directory/lookup.hpp"
#include "layout/layout.hpp"

namespace marlune::layout {
namespace {

TEST(MakeLayout, ColumnsFollowTheWidths) {
    struct Case {
        const char* definition;
        long width;
        std::size_t fields;
        std::vector<std::pair<long, long>> columns;  // first, last of the leading fields
        std::string types;
    };
    for (const Case& c : std::vector<Case>{
             {"MOA++A3:N18:A3:A3:A3'", 33, 5, {{4, 6}, {7, 24}, {25, 27}, {28, 30}, {31, 33}}, "ANAAA"},
             {"UNT++N6+A14'", 23, 2, {{4, 9}, {10, 23}}, "NA"},
             {"UST++n2'", 5, 1, {{4, 5}}, "n"},
             {"UNS++A1'", 4, 1, {{4, 4}}, "A"},
             {"UNA+'", 3, 0, {}, ""},
             {"COM++A512:A3'", 518, 2, {{4, 515}, {516, 518}}, "AA"},
         }) {
        const test::TextDefinition compiled(c.definition);
        const SegmentLayout s = make_layout("test", compiled);
        EXPECT_EQ(s.width, c.width) << c.definition;
        ASSERT_EQ(s.fields.size(), c.fields) << c.definition;
        std::string types;
        for (std::size_t i = 0; i < s.fields.size(); ++i) {
            const Field& f = s.fields[i];
            EXPECT_EQ(f.number, static_cast<int>(i) + 1);
            EXPECT_EQ(f.last - f.first + 1, f.width);
            if (i < c.columns.size()) {
                EXPECT_EQ(f.first, c.columns[i].first) << c.definition << " field " << i + 1;
                EXPECT_EQ(f.last, c.columns[i].second) << c.definition << " field " << i + 1;
            }
            types += f.type;
        }
        EXPECT_EQ(types, c.types) << c.definition;
        EXPECT_TRUE(s.name.empty()) << "no names for a table that has none";
    }
}

struct Lookup {
    const char* directory;  // -D
    bool interactive;
    const char* tag;
    const char* table;  // nullptr: resolves nowhere
    long width;
};

TEST(LayoutOf, TheTableTheLookupFinds) {
    for (const Lookup& c : std::vector<Lookup>{
             {"D.96A", false, "MOA", "D.96A", 33},
             {"D.96A", false, "moa", "D.96A", 33},
             {"D.98A", false, "MOA", "D.98A", 50},
             {"D.96A", false, "UNH", "91.2", 75},
             {"90.2", false, "UNA", "90.2", 3},
             {"88.1", false, "MOA", "default", 33},
             {"88.1", false, "UNB", "88.1", 0},
             {"S.93A", false, "ALC", "S.93A", 0},
             {"D.93A", false, "ALC", "D.93A", 0},
             {"D.98B", false, "RFF", "D.98A", 0},
             {"D.97A", true, "TVL", "I.97A", 0},
             {"D.97A", false, "TVL", nullptr, 0},
             {"D.96A", true, "TVL", nullptr, 0},
             {"D.99A", true, "TXS", "I.99A", 0},
             {"D.99A", false, "TXS", "88.1", 0},
             {"D.96A", false, "UST", "default", 5},
             {"D.96A", false, "MO1", nullptr, 0},
             {"D.96A", false, "MOAB", nullptr, 0},
             {"D.96A", false, "XYZ", nullptr, 0},
         }) {
        directory::Selection dir(stderr);
        dir.INTERACTIVE = c.interactive;
        ASSERT_EQ(directory::findTheDIREC(dir, c.directory), 1) << c.directory;
        const auto s = layout_of(dir, c.tag);
        if (c.table == nullptr) {
            EXPECT_FALSE(s) << c.directory << " " << c.tag;
            continue;
        }
        ASSERT_TRUE(s) << c.directory << " " << c.tag;
        EXPECT_EQ(s->table, c.table) << c.directory << " " << c.tag;
        if (c.width) {
            EXPECT_EQ(s->width, c.width) << c.directory << " " << c.tag;
        }
        // UST is one of the default rows that no UN file names.
        EXPECT_EQ(s->name.empty(), std::string_view(c.tag) == "UST") << c.directory << " " << c.tag;
    }
}

TEST(LayoutOf, LongestDefinition) {
    directory::Selection dir(stderr);
    ASSERT_EQ(directory::findTheDIREC(dir, "D.99A"), 1);
    const auto s = layout_of(dir, "ARR");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->fields.size(), 10002u);
    EXPECT_EQ(s->width, 3 + 35 + 10 + 10000 * 35);
    EXPECT_EQ(s->fields.back().composite, "C770");
    EXPECT_EQ(s->fields.back().component, 100);
    EXPECT_EQ(s->fields.back().element, "9424");
    EXPECT_EQ(s->fields.back().last, s->width);
}

TEST(ResolvableTags, ChainAndDefaultTable) {
    struct Case {
        const char* directory;
        bool interactive;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    for (const Case& c : std::vector<Case>{
             {"88.1", false, {"ACT", "MOA", "UNB", "USH", "ARR"}, {"UNA", "TVL", "CDI"}},
             {"90.2", false, {"UNA", "VLN", "ACT"}, {"TVL", "CDI"}},
             {"D.99A", false, {"FSQ", "ARR", "VLN", "UNA"}, {"TVL"}},
             {"D.99A", true, {"TVL", "TXS", "FSQ"}, {}},
             {"D.96A", true, {"MOA"}, {"TVL", "FSQ"}},
         }) {
        directory::Selection dir(stderr);
        dir.INTERACTIVE = c.interactive;
        ASSERT_EQ(directory::findTheDIREC(dir, c.directory), 1);
        const auto tags = resolvable_tags(dir);
        EXPECT_TRUE(std::is_sorted(tags.begin(), tags.end()));
        for (const char* t : c.present)
            EXPECT_NE(std::find(tags.begin(), tags.end(), t), tags.end()) << c.directory << " " << t;
        for (const char* t : c.absent)
            EXPECT_EQ(std::find(tags.begin(), tags.end(), t), tags.end()) << c.directory << " " << t;
        for (const std::string& t : tags) EXPECT_TRUE(layout_of(dir, t)) << c.directory << " " << t;
    }
}

}  // namespace
}  // namespace marlune::layout
