#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "directory/lookup.hpp"
#include "layout/formats.hpp"

namespace marlune::layout {
namespace {

std::vector<SegmentLayout> layouts(const char* directory, std::vector<std::string> tags, bool interactive = false) {
    directory::Selection dir(stderr);
    dir.INTERACTIVE = interactive;
    EXPECT_EQ(directory::findTheDIREC(dir, directory), 1);
    if (tags.empty()) tags = resolvable_tags(dir);
    std::vector<SegmentLayout> out;
    for (const std::string& t : tags) out.push_back(*layout_of(dir, t));
    return out;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::size_t count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(Formats, ParseFormatNames) {
    EXPECT_EQ(parse_format("text"), Format::text);
    EXPECT_EQ(parse_format("csv"), Format::csv);
    EXPECT_EQ(parse_format("json"), Format::json);
    EXPECT_EQ(parse_format("cobol"), Format::cobol);
    EXPECT_FALSE(parse_format("CSV"));
    EXPECT_FALSE(parse_format(""));
}

// CSV holds the header row and the rows alone (the note is in the manual
// page): CSV readers take a first line for the header.
TEST(Formats, EveryOutputButCsvCarriesTheColumnsNoteOnce) {
    const auto segs = layouts("D.96A", {"MOA", "NAD"});
    const std::string csv = render_csv(Heading{"D.96A", false}, segs);
    EXPECT_EQ(csv.rfind("tag,field,first,last,width,type,composite,component,element,name,directory\n", 0), 0u);
    EXPECT_EQ(count(csv, "Columns hold"), 0u);
    for (Format f : {Format::text, Format::json, Format::cobol}) {
        std::string text = render(f, Heading{"D.96A", false}, segs);
        if (f == Format::cobol) {
            // Comment lines carry it broken across lines.
            std::string joined;
            for (const std::string& line : lines_of(text))
                if (line.size() > 8 && line[6] == '*') joined += line.substr(8) + " ";
            text = joined;
        }
        EXPECT_EQ(count(text, kColumnsNote), 1u) << static_cast<int>(f);
    }
}

TEST(Formats, CsvRows) {
    const auto lines = lines_of(render_csv(Heading{"D.96A", false}, layouts("D.96A", {"MOA"})));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "tag,field,first,last,width,type,composite,component,element,name,directory");
    EXPECT_EQ(lines[1], "MOA,1,4,6,3,A,C516,1,5025,Monetary amount type qualifier,D.96A");
    EXPECT_EQ(lines[3], "MOA,3,25,27,3,A,C516,3,6345,\"Currency, coded\",D.96A");
}

TEST(Formats, CsvSimpleElementsAndUnnamedRows) {
    const auto text = render_csv(Heading{"91.2", false}, layouts("91.2", {"UNT", "LTM"}));
    EXPECT_NE(text.find("\nUNT,1,4,9,6,N,,,0074,Number of segments in a message,91.2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nLTM,25,844,878,35,A,,,,,91.2\n"), std::string::npos) << text;
}

TEST(Formats, JsonHoldsOneObjectPerSegment) {
    const auto text = render_json(Heading{"D.96A", true}, layouts("D.96A", {"MOA", "UNS", "UNA"}));
    EXPECT_EQ(count(text, "{\"tag\": "), 3u);
    EXPECT_EQ(count(text, "{\"field\": "), 6u);
    EXPECT_NE(text.find("\"interactive\": true"), std::string::npos);
    EXPECT_NE(text.find("\"definition\": \"MOA++A3:N18:A3:A3:A3'\", \"width\": 33"), std::string::npos);
    EXPECT_NE(text.find("\"fields\": []"), std::string::npos) << "UNA has no fields";
    EXPECT_EQ(count(text, "{"), count(text, "}"));
    EXPECT_EQ(count(text, "["), count(text, "]"));
}

TEST(Formats, TextTable) {
    const auto lines = lines_of(render_text(Heading{"D.96A", false}, layouts("D.96A", {"QTY"})));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[3], "QTY  QUANTITY");
    EXPECT_EQ(lines[4], "  directory D.96A, line width 24 (tag in columns 1-3)");
    EXPECT_EQ(lines[7], "      1     4    6     3 A    C186              1 6063    Quantity qualifier");
    EXPECT_EQ(lines[8], "      2     7   21    15 N    C186              2 6060    Quantity");
}

TEST(Formats, CobolNames) {
    const auto d99a = layouts("D.99A", {"MOA", "ARR"});
    EXPECT_EQ(cobol_name(d99a[0], d99a[0].fields[1]), "MOA-02-5004");
    EXPECT_EQ(cobol_name(d99a[1], d99a[1].fields.back()), "ARR-10002-9424");
    const auto ltm = layouts("91.2", {"LTM"});
    EXPECT_EQ(cobol_name(ltm[0], ltm[0].fields[0]), "LTM-01");
}

// Fixed format over a whole directory with -I (the longest rows included):
// nothing beyond column 72, columns 1-6 blank, an indicator of blank or "*"
// in column 7, levels 01 in area A and 05 in area B, data names of at most
// 30 characters and unique.
TEST(Formats, CobolFixedFormat) {
    for (const char* directory : {"D.99A", "88.1", "90.2"}) {
        const auto text = render_cobol(Heading{directory, true}, layouts(directory, {}, true));
        std::set<std::string> names;
        std::size_t records = 0;
        for (const std::string& line : lines_of(text)) {
            ASSERT_LE(line.size(), 72u) << line;
            ASSERT_GE(line.size(), 7u) << line;
            EXPECT_EQ(line.substr(0, 6), "      ") << line;
            ASSERT_TRUE(line[6] == ' ' || line[6] == '*') << line;
            if (line[6] == '*') continue;
            std::istringstream in(line);
            std::string level, name;
            in >> level >> name;
            if (level == "01") {
                EXPECT_EQ(line.find("01"), 7u) << line;
                ++records;
            } else {
                EXPECT_EQ(level, "05") << line;
                EXPECT_EQ(line.find("05"), 11u) << line;
            }
            if (name.back() == '.') name.pop_back();
            EXPECT_LE(name.size(), 30u) << name;
            EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        }
        EXPECT_GT(records, 40u) << directory;
    }
}

// The data names of a copybook: every one behind the prefix; a tag with rows
// of two tables takes the table into the names of both; the copybook ends
// with the line record as wide as its widest record.
TEST(Formats, CobolPrefixTablesAndLineRecord) {
    std::vector<SegmentLayout> segs = layouts("D.96A", {"MOA", "NAD"});
    const auto old = layouts("90.2", {"MOA"});
    segs.push_back(old[0]);
    Heading h("D.96A");
    h.prefix = "D96A-";
    const std::string text = render_cobol(h, segs);
    std::set<std::string> names;
    std::string last;
    for (const std::string& line : lines_of(text)) {
        if (line[6] == '*') continue;
        std::istringstream in(line);
        std::string level, name;
        in >> level >> name;
        if (name.back() == '.') name.pop_back();
        EXPECT_EQ(name.rfind("D96A-", 0), 0u) << line;
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        last = line;
    }
    EXPECT_TRUE(names.count("D96A-MOA-D96A-RECORD")) << text;
    EXPECT_TRUE(names.count("D96A-MOA-902-02-5797")) << text;
    EXPECT_TRUE(names.count("D96A-NAD-RECORD")) << text;
    EXPECT_TRUE(names.count("D96A-NAD-20-3164")) << text;
    const long widest = std::max({segs[0].width, segs[1].width, segs[2].width});
    EXPECT_EQ(widest, segs[1].width) << "NAD is the widest";
    EXPECT_EQ(last, "       01  D96A-EDI-LINE                      PIC X(" + std::to_string(widest) + ").");
    // The comment block explains the names with the prefix.
    EXPECT_NE(text.find("D96A-<tag>-<nn>-<element>"), std::string::npos) << text;
}

// A name too long to leave room for its picture on the line puts the
// picture on the next one, within column 72.
TEST(Formats, CobolLongPrefixStaysInColumns) {
    Heading h("D.99A");
    h.prefix = "A-VERY-LONG-PREFIX-FOR-THE-NAMES-";
    const std::string text = render_cobol(h, layouts("D.99A", {"ARR", "NAD"}));
    for (const std::string& line : lines_of(text)) EXPECT_LE(line.size(), 72u) << line;
    EXPECT_NE(text.find("-ARR-10002-9424\n               PIC X(35).\n"), std::string::npos);
}

}  // namespace
}  // namespace marlune::layout
