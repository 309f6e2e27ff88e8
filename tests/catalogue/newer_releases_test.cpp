// The directories of the releases after D.99A (D.99B ... D.24A and their
// interactive directories), against rows read by hand from the UN segment
// directories of those releases (EDSD, IDSD): one field per simple data
// element and component, "A" for a and an, "N" for n.., "n" for a number of
// fixed length, a repeated data element once.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "catalogue_support.hpp"

namespace {

using marlune::test::code_of;
using marlune::test::find_table;
using marlune::test::lookup_text;

struct Row {
    const char* table;
    const char* definition;
};

const Row kRows[] = {
    // D.99B: the first release with repetition counts; C819 of ADR (x5 in
    // the directory) is held once.
    {"D.99B", "NAD++A3+A35:A3:A3+A35:A35:A35:A35:A35+A35:A35:A35:A35:A35:A3+A35:A35:A35:A35+A35+A9:A3:A3:A35+A17+A3'"},
    {"D.99B", "MOA++A3:N35:A3:A3:A3'"},
    {"D.99B", "LIN++A6+A3+A35:A3:A3:A3+A3:A6+N2+A3'"},
    {"D.99B", "RFF++A3:A35:A6:A35:A6'"},
    {"D.99B", "TAX++A3+A3:A3:A3:A35+A6:A3:A3+A15+A7:A3:A3:A17:A12:A3:A3+A3+A20+A3'"},
    {"D.99B", "TMP++A3+n3:A3'"},
    // EDIFACT D.01B (EANCOM 2002).
    {"D.01B", "NAD++A3+A35:A17:A3+A35:A35:A35:A35:A35+A35:A35:A35:A35:A35:A3+A35:A35:A35:A35+A35+A9:A17:A3:A70+A17+A3'"},
    {"D.01B", "MOA++A3:N35:A3:A3:A3'"},
    {"D.01B", "LIN++A6+A3+A35:A3:A17:A3+A3:A6+N2+A3'"},
    {"D.01B", "DTM++A3:A35:A3'"},
    {"D.01B", "QTY++A3:A35:A3'"},
    {"D.01B", "RFF++A3:A70:A6:A35:A6'"},
    {"D.01B", "TAX++A3+A3:A17:A3:A35+A6:A17:A3+A15+A7:A17:A3:A17:A12:A17:A3+A3+A20+A3'"},
    {"D.01B", "DGS++A3+A7:A7:A10+n4:A8+n3:A3+A3+A6+A4+A10+A4:A4+A4:A4:A4+A3+A3+A3'"},
    // ARR: C770 repeats 9,999 times in the directory, held once.
    {"D.01B", "ARR++A35:A10+A512'"},
    {"D.07A", "QTY++A3:A35:A8'"},
    {"D.07A", "RFF++A3:A70:A6:A9:A6'"},
    {"D.07A", "TAX++A3+A3:A17:A3:A35+A6:A17:A3+A15+A7:A17:A3:A17:A12:A17:A3+A3+A20+A3+A3'"},
    // NAD changes between D.13A and D.24A: C059 an..35 -> an..256.
    {"D.13A", "NAD++A3+A35:A17:A3+A35:A35:A35:A35:A35+A70:A70:A70:A70:A70:A3+A35:A35:A35:A35+A35+A9:A17:A3:A70+A17+A3'"},
    {"D.24A", "NAD++A3+A35:A17:A3+A35:A35:A35:A35:A35+A70:A70:A70:A70:A70:A3+A256:A256:A256:A256+A35+A9:A17:A3:A70+A17+A3'"},
    {"D.24A", "MOA++A3:N35:A3:A3:A3'"},
    {"D.24A", "DTM++A3:A35:A3'"},
    {"D.24A", "TMP++A3+N15:A8'"},
    // Interactive directories.
    {"I.99B", "ASD++A3:n4:n4:A14:A256:A25:A3:A17:A25:A3:A35:A35'"},
    {"I.01B", "TVL++A14:n4:A14:n4:N5+A25:A256:A3:A3+A35:A35:A35+A35:A17:A3:A17:A17:A17:A35+A10:A10:A10:A10:A10:A10:A10:A10:A10+A6+A3'"},
    {"I.24A", "TVL++A14:n4:A14:n4:N5+A35:A256:A3:A3+A70:A70:A70+A35:A17:A3:A17:A17:A17:A35+A10:A10:A10:A10:A10:A10:A10:A10:A10+A6+A3'"},
};

class NewerReleaseRow : public ::testing::TestWithParam<Row> {};

TEST_P(NewerReleaseRow, HeldWithExactlyThisText) {
    const Row& row = GetParam();
    const auto* table = find_table(row.table);
    ASSERT_NE(table, nullptr) << row.table;
    const char* got = lookup_text(*table, code_of(row.definition));
    ASSERT_NE(got, nullptr) << std::string_view(row.definition, 3) << " missing from " << row.table;
    EXPECT_EQ(std::string_view(got), row.definition) << "in " << row.table;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, NewerReleaseRow, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string name = std::string(info.param.table) + "_" +
                                                std::string(info.param.definition, 3);
                             for (char& c : name) {
                                 if (c == '.') c = '_';
                             }
                             return name;
                         });

TEST(NewerReleases, RowCountsPerDirectory) {
    struct Count {
        const char* table;
        std::size_t rows;
    };
    for (const Count& c : {Count{"D.99B", 152}, Count{"I.99B", 63}, Count{"D.00A", 157}, Count{"I.00A", 72},
                           Count{"D.00B", 158}, Count{"I.00B", 76}, Count{"D.01B", 158}, Count{"I.01B", 75},
                           Count{"D.01C", 158}, Count{"I.01C", 77}, Count{"D.02B", 155}, Count{"D.04A", 156},
                           Count{"D.23A", 156}, Count{"D.24A", 156}, Count{"I.24A", 77}}) {
        const auto* table = find_table(c.table);
        ASSERT_NE(table, nullptr) << c.table;
        EXPECT_EQ(table->rows.size(), c.rows) << c.table;
    }
}

TEST(NewerReleases, SegmentsMarkedForDeletionAreHeld) {
    // EDSD.99B marks EVT, GIS and PAT for deletion ("X").
    const auto* table = find_table("D.99B");
    ASSERT_NE(table, nullptr);
    for (const char* tag : {"EVT", "GIS", "PAT"}) EXPECT_NE(table->lookup(code_of(tag)), nullptr) << tag;
}

TEST(NewerReleases, NoServiceSegmentsAndBatchInteractiveApart) {
    // The service segments come from 91.2 through the chain; the interactive
    // directories hold no batch segment such as BGM.
    for (const auto& t : marlune::directory::catalogue_tables()) {
        const std::string_view name = t.name;
        if (name.size() != 5 || name.substr(2) < "00A" || (name.substr(2) > "30Z" && name.substr(2) < "99B")) continue;
        for (const char* tag : {"UNB", "UNH", "UNT", "UNZ"}) EXPECT_EQ(t.lookup(code_of(tag)), nullptr) << name << tag;
        if (name[0] == 'I') {
            EXPECT_EQ(t.lookup(code_of("BGM")), nullptr) << name;
        } else {
            EXPECT_NE(t.lookup(code_of("BGM")), nullptr) << name;
        }
    }
}

}  // namespace
