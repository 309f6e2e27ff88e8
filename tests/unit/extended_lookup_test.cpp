// The directories after D.99A join the chain only with -X (EXTENDED):
// release codes, -D names, the chain order, -I and the -w messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/definition.hpp"
#include "directory/lookup.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

TEST(Extended, ReleaseCodesOnlyWithTheOption) {
    struct Case {
        const char* code;
        int plain;     // index without -X
        int extended;  // index with -X
    };
    for (const Case& c : std::vector<Case>{{"99A", 16, 16},
                                           {"99B", -2, 17},
                                           {"00A", -2, 18},
                                           {"01B", -2, 21},
                                           {"01C", -2, 22},
                                           {"02A", -2, 23},
                                           {"10A", -2, 39},
                                           {"22B", -2, 64},
                                           {"23A", -2, 65},
                                           {"24A", -2, 66},
                                           {"23B", -2, -2},
                                           {"24B", -2, -2},
                                           {"01b", -2, -2},
                                           {"01B ", -2, -2},
                                           {"881", -1, -1}}) {
        for (const bool extended : {false, true}) {
            Harness h("");
            h.ctx.dir.EXTENDED = extended;
            directory::findDirec(h.ctx.dir, c.code);
            const int want = extended ? c.extended : c.plain;
            EXPECT_EQ(h.ctx.dir._DIREC, want) << c.code << (extended ? " -X" : "");
            EXPECT_EQ(h.errors(), want == -2 ? "Warning: I don't know of directory '" + std::string(c.code) + "'\n" : "")
                << c.code;
        }
    }
}

TEST(Extended, DirectoryNames) {
    struct Case {
        const char* name;
        bool extended;
        int result;
        int index;
        const char* direc;
        const char* messages;
    };
    const std::string interactive =
        "You specified an interactive directory to be used\n"
        "Use the -I option to make use of interactive directories\n"
        "For now I'll assume 'D.10A' and try again\n";
    for (const Case& c : std::vector<Case>{
             {"D.01B", false, 0, 0, "", ""},
             {"D.01B", true, 1, 21, "01B", ""},
             {" d.24a ", true, 1, 66, "24A", ""},
             {"D.99B", true, 1, 17, "99B", ""},
             {"D.23B", true, 0, 0, "", ""},
             {"I.10A", true, 1, 39, "10A", interactive.c_str()},
             {"D.99A", true, 1, 16, "99A", ""},
         }) {
        Harness h("");
        h.ctx.dir.EXTENDED = c.extended;
        EXPECT_EQ(directory::findTheDIREC(h.ctx.dir, c.name), c.result) << c.name;
        EXPECT_EQ(h.ctx.dir._DIREC, c.index) << c.name;
        EXPECT_EQ(h.ctx.dir.DIREC, c.direc) << c.name;
        EXPECT_EQ(h.errors(), c.messages) << c.name;
    }
}

TEST(Extended, ChainRunsDownThroughEveryRelease) {
    // With -w, a tag defined nowhere walks from D.24A down to 88.1: 67 steps,
    // each naming the release before it.
    Harness h("UNQ'");
    h.ctx.dir.EXTENDED = true;
    h.ctx.dir.GENFINDINFO = true;
    h.ctx.dir._DIREC = 66;
    h.convert(driver::Command::au);
    const std::string err = h.errors();
    EXPECT_NE(err.find("'UNQ' not found in D.24A, searching D.23A\n"), std::string::npos);
    EXPECT_NE(err.find("'UNQ' not found in D.23A, searching D.22B\n"), std::string::npos);
    EXPECT_NE(err.find("'UNQ' not found in D.02A, searching D.01C\n"), std::string::npos);
    EXPECT_NE(err.find("'UNQ' not found in D.00A, searching D.99B\n"), std::string::npos);
    EXPECT_NE(err.find("'UNQ' not found in D.99B, searching D.99A\n"), std::string::npos);
    EXPECT_NE(err.find("'UNQ' not found in 90.2, searching 88.1\n"), std::string::npos);
    std::size_t lines = 0;
    for (char c : err) lines += c == '\n';
    EXPECT_EQ(lines, 67u + 1u);  // 67 steps (D.24A ... 90.2), then the unknown tag
}

const char* text_of(const Definition* d) { return d != nullptr ? d->text : nullptr; }

TEST(Extended, ResolveFromNewerReleases) {
    Harness h("");
    h.ctx.dir.EXTENDED = true;
    const std::uint16_t nad = 3085, unh = 7604, tvl = 11955, moa = 460;
    // D.01B: its own NAD; UNH through the chain from 91.2.
    EXPECT_STREQ(text_of(directory::resolve(h.ctx.dir, 21, nad)),
                 "NAD++A3+A35:A17:A3+A35:A35:A35:A35:A35+A35:A35:A35:A35:A35:A3+A35:A35:A35:A35+A35+A9:A17:A3:A70+A17+A3'");
    EXPECT_STREQ(directory::resolve_in(h.ctx.dir, 21, unh).table, "91.2");
    EXPECT_STREQ(directory::resolve_in(h.ctx.dir, 66, moa).table, "D.24A");
    // TVL: only in the interactive directories, searched first with -I.
    EXPECT_EQ(directory::resolve(h.ctx.dir, 21, tvl), nullptr);
    h.ctx.dir.INTERACTIVE = true;
    EXPECT_STREQ(directory::resolve_in(h.ctx.dir, 21, tvl).table, "I.01B");
    EXPECT_STREQ(directory::directory_name(h.ctx.dir, 66), "D.24A");
    // Without -X the newer indexes are no directory at all.
    h.ctx.dir.EXTENDED = false;
    EXPECT_EQ(directory::directory_name(h.ctx.dir, 21), nullptr);
    EXPECT_STREQ(directory::resolve_in(h.ctx.dir, 21, nad).table, "default");
}

}  // namespace
}  // namespace marlune::test
