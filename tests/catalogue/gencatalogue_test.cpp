// The catalogue generator fails the build on a malformed data file: it
// names the file, the line and the reason, exits with status 1 and writes
// nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string errors;
};

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(::testing::TempDir()) / (std::string("gencatalogue_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "out");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write_data(const std::string& name, const std::string& text) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }

    // Runs the generator over the data files (one table each).
    Outcome run(const std::vector<std::string>& data) {
        std::string cmd = std::string(MARLUNE_GENCATALOGUE) + " '" + (dir_ / "out").string() + "'";
        for (std::size_t i = 0; i < data.size(); ++i)
            cmd += " '" + data[i] + "' dirT" + std::to_string(i);
        cmd += " 2>'" + (dir_ / "stderr").string() + "'";
        const int raw = std::system(cmd.c_str());
        std::ostringstream err;
        err << std::ifstream(dir_ / "stderr").rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err.str()};
    }

    bool wrote_anything() const { return !fs::is_empty(dir_ / "out"); }

    fs::path dir_;
};

constexpr const char* kHeader = "# a test table\n";
constexpr const char* kGood = "BGM++A3:A3+A35'\n";

struct Bad {
    const char* name;
    std::string line;  // the third line of the file, after the header and a good row
    std::string message;
};
const Bad kBad[] = {
    {"colon_first", "MOA+:A3'", "malformed definition (the first field must begin a data element with '+'): MOA+:A3'"},
    {"missing_quote", "MOA++A3", "malformed definition (missing the closing apostrophe): MOA++A3"},
    {"bad_type", "MOA++B3'", "malformed definition (unknown type letter 'B' at position 6): MOA++B3'"},
    {"zero_width", "MOA++A0'", "malformed definition (zero width at position 7): MOA++A0'"},
    {"no_width", "MOA++A:N3'", "malformed definition (field without a width at position 7): MOA++A:N3'"},
    {"lower_case_tag", "moa++A3'", "malformed definition (the tag must be three upper-case letters): moa++A3'"},
    {"no_plus_after_tag", "MOA'", "malformed definition (the tag must be followed by '+'): MOA'"},
    {"text_after_quote", "MOA++A3' ", "malformed definition (text after the closing apostrophe at position 9): MOA++A3' "},
    {"not_ascii", "MOA++A3'\xE9", "malformed definition (character outside printable ASCII): MOA++A3'\xE9"},
    {"tag_twice", "BGM++A3'", "tag BGM defined twice"},
    {"out_of_order", "ALI++A3'", "tag ALI out of order (rows are sorted by tag)"},
    {"comment_after_rows", "# late", "comment line after the first definition"},
    {"empty_line", "", "empty line"},
};

TEST_F(Generator, RejectsMalformedRows) {
    for (const Bad& c : kBad) {
        const std::string file = write_data(std::string(c.name) + ".txt", kHeader + std::string(kGood) + c.line + "\n");
        const Outcome r = run({file});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.errors, "gencatalogue: " + file + ":3: " + c.message + "\n") << c.name;
        EXPECT_FALSE(wrote_anything()) << c.name;
    }
}

TEST_F(Generator, NothingWrittenWhenALaterTableIsBad) {
    const std::string good = write_data("good.txt", kHeader + std::string(kGood));
    const std::string bad = write_data("bad.txt", "MOA++A3:X1'\n");
    const Outcome r = run({good, bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errors, "gencatalogue: " + bad + ":1: malformed definition (unknown type letter 'X' at position 9): MOA++A3:X1'\n");
    EXPECT_FALSE(wrote_anything());
}

TEST_F(Generator, AcceptsWellFormedTables) {
    const std::string a = write_data("a.txt", kHeader + std::string(kGood) + "MOA++A3:N18:A3'\nUNA+'\n");
    const std::string b = write_data("b.txt", "MOA++A3:N18:A3'\n");
    const Outcome r = run({a, b});
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.errors, "");
    std::ostringstream fields;
    fields << std::ifstream(dir_ / "out" / "catalogue_rows.cpp").rdbuf();
    // BGM's three fields, then MOA's three, once for both tables.
    EXPECT_NE(fields.str().find("kCatalogueFields[6] = {"), std::string::npos) << fields.str();
    EXPECT_NE(fields.str().find("{':', 'N', 18, 7, 2, 0}"), std::string::npos) << fields.str();
    // BGM, MOA and UNA: the MOA row of both tables is one row.
    EXPECT_NE(fields.str().find("kCatalogueRows[3] = {"), std::string::npos) << fields.str();
    std::ostringstream tables;
    tables << std::ifstream(dir_ / "out" / "catalogue_tables.cpp").rdbuf();
    EXPECT_NE(tables.str().find("const Definition* dirT0(std::uint16_t code) noexcept"), std::string::npos);
    EXPECT_NE(tables.str().find("TableRows dirT1_rows() noexcept"), std::string::npos);
    // Table 1 holds MOA alone: row 1 of the shared rows, key of MOA.
    EXPECT_NE(tables.str().find("k_dirT1[1] = {\n    {" + std::to_string(12 * 1024 + 14 * 32 + 0) + ", 1},"),
              std::string::npos)
        << tables.str();
}

TEST_F(Generator, UsageWithoutTables) {
    EXPECT_EQ(run({}).status, 1);
}

}  // namespace
