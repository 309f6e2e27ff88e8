#include <gtest/gtest.h>

#include <cstring>

#include "driver/context.hpp"
#include "directory/catalogue.hpp"
#include "directory/lookup.hpp"

namespace marlune::test {
namespace {

// resolve_in names the table whose row the lookup takes; resolve gives the
// same definition.
TEST(ResolveIn, NamesTheTableFound) {
    struct Case {
        int index;
        const char* mstypever;
        bool interactive;
        const char* tag;
        const char* table;  // nullptr: defined nowhere
    };
    for (const Case& c : std::vector<Case>{
             {10, "", false, "MOA", "D.96A"},
             {10, "", false, "UNH", "91.2"},
             {1, "", false, "UNH", "90.2"},
             {5, "S", false, "ALC", "S.93A"},
             {5, "D", false, "ALC", "D.93A"},
             {15, "", false, "RFF", "D.98A"},
             {12, "", true, "TVL", "I.97A"},
             {12, "", false, "TVL", nullptr},
             {-1, "", false, "MOA", "default"},
             {-2, "", false, "UNB", "default"},
             {-2, "", false, "ACT", nullptr},
             {16, "", false, "ZZZ", nullptr},
         }) {
        Context ctx(stderr);
        ctx.dir.INTERACTIVE = c.interactive;
        ctx.dir.MSTYPEVER = c.mstypever;
        const auto code = directory::tag_code(c.tag);
        ASSERT_TRUE(code);
        const directory::Resolution r = directory::resolve_in(ctx.dir, c.index, *code);
        EXPECT_EQ(r.definition, directory::resolve(ctx.dir, c.index, *code)) << c.tag;
        if (c.table == nullptr) {
            EXPECT_EQ(r.definition, nullptr) << c.tag;
            EXPECT_EQ(r.table, nullptr) << c.tag;
            continue;
        }
        ASSERT_NE(r.definition, nullptr) << c.tag;
        ASSERT_NE(r.table, nullptr) << c.tag;
        EXPECT_STREQ(r.table, c.table) << c.index << " " << c.tag;
        EXPECT_EQ(r.definition->tag(), std::string_view(c.tag, 3));
        // The row is that table's own.
        for (const directory::CatalogueTable& t : directory::catalogue_tables()) {
            if (std::strcmp(t.name, c.table) == 0) {
                EXPECT_EQ(t.lookup(*code), r.definition) << c.tag;
            }
        }
    }
}

TEST(DirectoryName, AsTheListNamesIt) {
    struct Case {
        const char* d;  // -D
        const char* name;
    };
    for (const Case& c : std::vector<Case>{{"88.1", "88.1"},
                                           {"90.2", "90.2"},
                                           {"d.93a", "D.93A"},
                                           {"S.93A", "S.93A"},
                                           {" D.99A ", "D.99A"}}) {
        Context ctx(stderr);
        ASSERT_EQ(directory::findTheDIREC(ctx.dir, c.d), 1);
        EXPECT_STREQ(directory::directory_name(ctx.dir, ctx.dir._DIREC), c.name) << c.d;
    }
    Context ctx(stderr);
    EXPECT_STREQ(directory::directory_name(ctx.dir, ctx.dir._DIREC), "90.2") << "before any -D";
    EXPECT_EQ(directory::directory_name(ctx.dir, -2), nullptr);
    EXPECT_EQ(directory::directory_name(ctx.dir, 17), nullptr);
}

}  // namespace
}  // namespace marlune::test
