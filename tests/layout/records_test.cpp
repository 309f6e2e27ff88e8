#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/fatal.hpp"
#include "directory/lookup.hpp"
#include "io/input.hpp"
#include "layout/records.hpp"

namespace marlune::layout {
namespace {

struct Options {
    const char* directory = nullptr;  // -D
    bool interactive = false;         // -I
    bool level_b = false;
    std::size_t chunk = io::Input::BLOCK;
};

FileRecords records(const std::string& edi, Options o = {}) {
    directory::Selection dir(stderr);
    dir.INTERACTIVE = o.interactive;
    if (o.directory) {
        EXPECT_EQ(directory::findTheDIREC(dir, o.directory), 1);
    }
    io::Input in(edi, o.chunk);
    return records_of(dir, in, o.level_b);
}

// "TAG table" of every record, in order.
std::vector<std::string> rows(const FileRecords& r) {
    std::vector<std::string> out;
    for (const SegmentLayout& s : r.segments) out.push_back(s.tag + " " + s.table);
    return out;
}

const std::string kTwoReleases =
    "UNB+UNOA:2+S+R+261208:0930+1'\n"
    "UNH+1+ORDERS:D:96A:UN'\nBGM+220+1+9'\nMOA+203:1'\nNAD+BY+1'\nUNT+5+1'\n"
    "UNH+2+ORDERS:D:93A:UN'\nMOA+203:2'\nNAD+BY+2'\nMOA+203:3'\nUNT+5+2'\n"
    "UNH+3+ORDERS:D:96A:UN'\nMOA+203:4'\nUNT+3+3'\n"
    "UNZ+3+1'\n";

// One layout per row, in the order of first use, each with the table the
// lookup took it from (UNB and the first UNH before any message: 90.2; UNT
// and UNZ from 91.2 through the chain; a row met again adds nothing).
TEST(Records, OneLayoutPerRowInOrderOfFirstUse) {
    const FileRecords r = records(kTwoReleases);
    EXPECT_EQ(rows(r), (std::vector<std::string>{"UNB 90.2", "UNH 90.2", "BGM D.96A", "MOA D.96A", "NAD D.96A",
                                                 "UNT 91.2", "UNH 91.2", "MOA D.93A", "NAD D.93A", "UNZ 91.2"}));
    EXPECT_TRUE(r.unknown.empty());
    EXPECT_TRUE(r.unknown_releases.empty());
    EXPECT_EQ(r.segments[4].definition,
              "NAD++A3+A35:A3:A3+A35:A35:A35:A35:A35+A35:A35:A35:A35:A35:A3+A35:A35:A35:A35+A35+A9+A9+A3'");
}

// The same whatever the input delivers at a time, and at level B.
TEST(Records, IndependentOfReadsAndLevel) {
    const auto whole = rows(records(kTwoReleases));
    EXPECT_EQ(rows(records(kTwoReleases, {.chunk = 1})), whole);
    std::string b = kTwoReleases;
    for (char& c : b) c = c == '+' ? '\x1d' : c == ':' ? '\x1f' : c == '\'' ? '\x1c' : c;
    EXPECT_EQ(rows(records(b, {.level_b = true})), whole);
}

// -D sets where the file starts, as for marlune; -I puts the interactive
// row first.
TEST(Records, DirectoryAndInteractiveOptions) {
    const std::string edi = "UNB+UNOA:2+S+R+1+1'UNH+1+PAORES:D:97A:UN'TVL+1'MOA+1:2'UNT+4+1'UNZ+1+1'";
    EXPECT_EQ(rows(records(edi, {.directory = "88.1"}))[0], "UNB 88.1");
    const FileRecords batch = records(edi);
    const FileRecords interactive = records(edi, {.interactive = true});
    EXPECT_EQ(rows(batch), (std::vector<std::string>{"UNB 90.2", "UNH 90.2", "MOA D.97A", "UNT 91.2", "UNZ 91.2"}));
    ASSERT_EQ(batch.unknown.size(), 1u);
    EXPECT_EQ(batch.unknown[0].tag, "TVL");
    EXPECT_EQ(rows(interactive)[2], "TVL I.97A");
    EXPECT_TRUE(interactive.unknown.empty());
}

// Tags defined nowhere: each once, with its first line and count. A
// release that names no directory: its segments come from the default
// table, and the release is noted once.
TEST(Records, UnknownTagsAndReleases) {
    const FileRecords r = records(
        "UNB+UNOA:2+S+R+1+1'\nUNH+1+ORDERS:D:01B:UN'\nXYZ+1'\nMOA+1:2'\nXYZ+2'\nQQQ+3'\nUNT+5+1'\n"
        "UNH+2+ORDERS:D:01B:UN'\nMOA+1:2'\nUNT+3+2'\nUNZ+2+1'\n");
    ASSERT_EQ(r.unknown.size(), 2u);
    EXPECT_EQ(r.unknown[0].tag, "XYZ");
    EXPECT_EQ(r.unknown[0].line, 3);
    EXPECT_EQ(r.unknown[0].count, 2);
    EXPECT_EQ(r.unknown[1].tag, "QQQ");
    EXPECT_EQ(r.unknown[1].count, 1);
    ASSERT_EQ(r.unknown_releases.size(), 1u);
    EXPECT_EQ(r.unknown_releases[0].release, "01B");
    EXPECT_EQ(r.unknown_releases[0].line, 4);
    EXPECT_EQ(rows(r), (std::vector<std::string>{"UNB 90.2", "UNH 90.2", "MOA default", "UNT default",
                                                 "UNH default", "UNZ default"}));
}

// A fatal condition of the conversion is thrown, not an exit.
TEST(Records, FatalConditionIsThrown) {
    directory::Selection dir(stderr);
    const int folder = ::open("/", O_RDONLY);
    ASSERT_GE(folder, 0);
    io::Input in(folder, "/");
    EXPECT_THROW(records_of(dir, in, false), FatalError);
    ::close(folder);
}

}  // namespace
}  // namespace marlune::layout
