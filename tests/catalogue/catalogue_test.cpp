// Invariants of the catalogue tables, their tag lists and the lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_support.hpp"

namespace {

using marlune::directory::CatalogueTable;
using marlune::directory::catalogue_tables;
using marlune::test::code_of;
using marlune::test::lookup_text;
using marlune::test::texts;
using marlune::test::find_table;

// One field specifier of a definition.
struct Field {
    char lead;  // '+' or ':'
    char type;  // 'A', 'a', 'N' or 'n'
    int length;
};

// Parses a definition independently of the generator; false when it is not
// in the notation: tag, '+', fields with lead, type and length, apostrophe.
bool parse_definition(std::string_view def, std::vector<Field>& fields) {
    fields.clear();
    if (def.size() < 5) return false;
    for (int i = 0; i < 3; ++i) {
        if (def[i] < 'A' || def[i] > 'Z') return false;
    }
    if (def[3] != '+' || def.back() != '\'') return false;
    std::size_t i = 4;
    const std::size_t end = def.size() - 1;
    while (i < end) {
        Field f{def[i], 0, 0};
        if (f.lead != '+' && f.lead != ':') return false;
        if (fields.empty() && f.lead != '+') return false;
        if (++i >= end) return false;
        f.type = def[i++];
        if (std::string_view("AaNn").find(f.type) == std::string_view::npos) return false;
        const std::size_t digits = i;
        while (i < end && def[i] >= '0' && def[i] <= '9') {
            f.length = f.length * 10 + (def[i] - '0');
            if (f.length > 99999) return false;
            ++i;
        }
        if (i == digits || def[digits] == '0') return false;
        fields.push_back(f);
    }
    return true;
}

int data_elements(const std::vector<Field>& fields) {
    return static_cast<int>(std::count_if(fields.begin(), fields.end(), [](const Field& f) { return f.lead == '+'; }));
}

TEST(Notation, ParserAcceptsAndRejects) {
    std::vector<Field> f;
    EXPECT_TRUE(parse_definition("MOA++A3:N18:A3:A3:A3'", f));
    EXPECT_EQ(f.size(), 5u);
    EXPECT_TRUE(parse_definition("UNA+'", f));
    EXPECT_TRUE(f.empty());
    for (const char* bad : {"MOA+:A3'", "MOA++A3", "MOA++X3'", "MOA++A'", "MOA++A03'", "Moa++A3'", "MOA+A3'",
                            "MOA++A3''", "MOA++A3+'"}) {
        EXPECT_FALSE(parse_definition(bad, f)) << bad;
    }
}

#define MARLUNE_TEST_RELEASE_NAMES(release) "D." #release, "I." #release,
constexpr const char* kOrder[] = {"88.1",  "90.2",  "91.1",  "91.2",  "92.1",  "93.2",  "D.93A",
                                  "S.93A", "D.94A", "D.94B", "D.95A", "D.95B", "D.96A", "D.96B",
                                  "D.97A", "D.97B", "D.98A", "D.98B", "D.99A", "I.96B", "I.97A",
                                  "I.97B", "I.98A", "I.98B", "I.99A", "default",
                                  MARLUNE_RELEASES_AFTER_99A(MARLUNE_TEST_RELEASE_NAMES)};
#undef MARLUNE_TEST_RELEASE_NAMES

TEST(Catalogue, TablesInCatalogueOrder) {
    const auto tables = catalogue_tables();
    ASSERT_EQ(tables.size(), std::size(kOrder));
    for (std::size_t i = 0; i < tables.size(); ++i) {
        EXPECT_STREQ(tables[i].name, kOrder[i]);
        EXPECT_NE(tables[i].lookup, nullptr);
    }
}

class TableTest : public ::testing::TestWithParam<const char*> {
protected:
    const CatalogueTable& table() const { return *find_table(GetParam()); }
    bool is_default() const { return std::string_view(GetParam()) == "default"; }
};

TEST_P(TableTest, EveryDefinitionIsWellFormed) {
    std::vector<Field> fields;
    for (const char* row : texts(table())) {
        EXPECT_TRUE(parse_definition(row, fields)) << std::string_view(row).substr(0, 80);
    }
}

TEST_P(TableTest, KeyIsTheTagCodeAndLookupReturnsTheRowItself) {
    for (const marlune::Definition& row : table().rows) {
        // The same pointer: the array element is the only copy of the row.
        EXPECT_EQ(table().lookup(code_of(row.text)), &row) << row.tag();
    }
}

TEST_P(TableTest, NoTagTwiceAndRowsSortedByTag) {
    std::set<std::string> tags;
    std::string previous;
    for (const char* row : texts(table())) {
        const std::string tag(row, 3);
        EXPECT_TRUE(tags.insert(tag).second) << tag << " twice";
        EXPECT_LT(previous, tag);
        previous = tag;
    }
}

TEST_P(TableTest, UndefinedCodesGiveNothing) {
    std::set<std::uint16_t> defined;
    for (const char* row : texts(table())) defined.insert(code_of(row));
    int found = 0;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const char* def = lookup_text(table(), static_cast<std::uint16_t>(code));
        if (defined.count(static_cast<std::uint16_t>(code)) != 0) {
            ++found;
        } else {
            EXPECT_EQ(def, nullptr) << "code " << code;
        }
    }
    EXPECT_EQ(found, static_cast<int>(table().rows.size()));
}

TEST_P(TableTest, TypeLettersAndLengths) {
    std::vector<Field> fields;
    for (const char* row : texts(table())) {
        ASSERT_TRUE(parse_definition(row, fields));
        const std::string_view tag(row, 3);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            EXPECT_NE(f.type, 'a') << tag;
            if (f.type == 'n') {
                // "n": numbers of fixed length (n1 ... n9), and the n2 of USH and UST.
                EXPECT_LE(f.length, 9) << GetParam() << " " << tag << " field " << i + 1;
            }
            if (f.type == 'A') {
                EXPECT_GE(f.length, 1);
                EXPECT_LE(f.length, 512) << tag;
            } else {
                EXPECT_GE(f.length, 1);
                EXPECT_LE(f.length, 35) << tag;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, TableTest, ::testing::ValuesIn(kOrder), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
});

// The tags of every table.
struct TagList {
    const char* table;
    const char* tags;
};
// Names the case in test listings.
void PrintTo(const TagList& c, std::ostream* os) { *os << c.table; }

constexpr TagList kTagLists[] = {
    {"88.1", "ACT ALC ALI API BGM CNT CTA CUX DOC DTM FII FTX GIN GIR IMD LIN LOC MEA NAD PAC PAI PAT PCI PIA PRP QVA "
             "RFF SDQ SID TDT TMA TOD TRI TXS TXT UNB UNE UNG UNH UNS UNT UNZ VAL"},
    {"90.2", "AJT ALC AUT BGM BUS CHD CNT COM CPI CST CTA CUX DCR DGS DIM DLI DMS DOC DTM EQA EQD EQN ERC ERP FCA FII "
             "FTX GDS GID GIN GIR GIS GOR HIN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCI PIA QVA RFF SEL SGP TAX TCC "
             "TDT TMD TMP TOD TPL TSR UNA UNB UNE UNG UNH UNS UNT UNZ VLN"},
    {"91.1", "AGR AJT ALC ALI API AUT BGM BUS CCI CNI CNT COM CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EQA EQD "
             "EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCD PCI PGI "
             "PIA PIT PRC PRI PSD QTY QVA RCS RFF RNG RTE SCC SEL SEQ SGP SPS STA TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"91.2", "AJT ALC ALI API AUT BGM BUS CHD CNT COM CPI CST CTA CUX DCR DGS DIM DLI DMS DOC DTM EQA EQD EQN ERC ERP "
             "FCA FII FTX GDS GID GIN GIR GIS GOR HAN HIN IMD INP LIN LOC LTM MEA MOA NAD PAC PAI PAT PCI PIA QTY QVA "
             "RFF SCC SDQ SEL SGP TAX TCC TDT TMD TMP TOD TPL TSR UNB UNE UNG UNH UNS UNT UNZ VLN"},
    {"92.1", "AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS "
             "DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM MOA "
             "NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA "
             "STS TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"93.2", "ALC ALI API AUT BGM BUS CCI CNI CNT COM CPI CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EQA EQD EQN ERC ERP "
             "FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCD PCI PGI PIA PRC PRI "
             "PSD QTY QVA RCS RFF RNG RTE SCC SEL SEQ SGP SPS STA TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"D.93A", "AGR AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM "
              "DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM "
              "MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS "
              "STA STS TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"S.93A", "AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS "
              "DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM MOA "
              "NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA "
              "STS TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"D.94A", "AGR AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM "
              "DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN ICD IMD IND INP INV LIN LOC "
              "MEA MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL "
              "SEQ SGP SPS STA STG STS TAX TCC TDT TEM TMD TMP TOD TPL"},
    {"D.94B", "AGR AJT ALC ALI API APR ARD ATT AUT BGM BII CCD CCI COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC "
              "DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN ICD IMD IND INP INV IRQ LIN LOC MEA "
              "MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP "
              "SPS STA STG STS TAX TCC TDT TEM TMD TMP TOD"},
    {"D.95A", "AGR AJT ALC ALI API APR ARD ARR ASI ATT AUT BGM BII BUS CCD CCI CDV CED CNI CNT COD COM COT CPI CPS CST "
              "CTA CUX DAM DGS DIM DLI DLM DMS DOC DSI DTM EFI EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN "
              "GIR GIS GOR HAN ICD IDE IMD IND INP INV IRQ LIN LOC MEA MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT "
              "PRC PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SCD SEL SEQ SGP SPS STA STC STG STS TAX TCC TDT TEM TMD TMP "
              "TOD TPL TSR"},
    {"D.95B", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CMP CNI CNT COD COM COT "
              "CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII "
              "FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA "
              "MSG NAD NAT PAC PAI PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QVR RCS REL RFF RNG RTE SAL SCC "
              "SCD SEG SEL SEQ SFI SGP SGU SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TSR"},
    {"D.96A", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CMP CNI CNT COD COM "
              "COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA "
              "FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS "
              "MOA MSG NAD NAT PAC PAI PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QVR RCS REL RFF RNG RTE SAL "
              "SCC SCD SEG SEL SEQ SFI SGP SGU SPS STA STC STG STS TAX TCC TDT TEM TMD TOD TPL TSR"},
    {"D.96B", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CIN CLI CMP CNI CNT COD "
              "COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC "
              "ERP FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA "
              "MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QUA QVR RCS REL "
              "RFF RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD "
              "TPL TRU TSR"},
    {"D.97A", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT "
              "COD COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN "
              "ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN "
              "LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QUA QVR "
              "RCS REL RFF RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD "
              "TMP TOD TPL TRU TSR"},
    {"D.97B", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT "
              "COD COM COT CPI CPS CPT CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN "
              "ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP IRQ LAN LIN LOC "
              "MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA POC PRC PRI PSD PTY QTY QUA QVR RCS "
              "REL RFF RNG RSL RTE SAL SCC SCD SEG SEL SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD "
              "TPL TRU TSR"},
    {"D.98A", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CIN CLI CMP CNI CNT COD "
              "COM COT CPI CPS CPT CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN "
              "ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN "
              "LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PNA POC PRC PRI PSD PTY QTY QUA QVR "
              "RCS REL RFF RJL RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM "
              "TMD TMP TOD TPL TRU TSR"},
    {"D.98B", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT "
              "COD COM COT CPI CPS CPT CST CTA CUX DAM DFN DGS DII DIM DLI DLM DMS DOC DRD DSG DSI DTM EDT EFI ELM ELU "
              "ELV EMP EQA EQD EQN ERC ERP EVT FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN IDE IHC IMD IND "
              "INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCC PCD PCI PDI PGI PIA PNA POC PRC "
              "PRI PSD PTY QRS QTY QUA QVR RCS REL RJL RNG ROD RSL RTE SAL SCC SCD SEG SEL SEQ SGP SGU SPR SPS STA STC "
              "STG STS TCC TDT TEM TMD TMP TOD TPL TRU TSR"},
    {"D.99A", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT "
              "COD COM COT CPI CPS CPT CST CTA CUX DAM DFN DGS DII DIM DLI DLM DMS DOC DRD DSG DSI DTM EDT EFI ELM ELU "
              "ELV EMP EQA EQD EQN ERC ERP EVT FCA FII FNS FNT FOR FSQ FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE "
              "IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCC PCD PCI PDI PGI PIA "
              "PNA POC PRC PRI PSD PTY QRS QTY QUA QVR RCS REL RFF RJL RNG ROD RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP "
              "SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR"},
    {"I.96B", "AAI ADS APD ASD ATI CLT CMN CNX CON CRI DIS ERI FTI HDI IFT ITM MOV MSD NAM NUN ODI ORG PDT PMT RCI RPI "
              "RUL SSR TDI TFF TIF TVL"},
    {"I.97A", "AAI ADS APD ASD ATI CLT CMN CNX CON CRI DIS ERI FTI HDI IFT ITM MOV MSD NAM NUN ODI ORG PDT PMT RCI RPI "
              "RUL SSR TDI TFF TIF TVL"},
    {"I.97B", "AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS ERI FTI HDI IFT ITM LKP MOV MSD NAM NUN ODI ORG PDT "
              "PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL"},
    {"I.98A", "AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS ERI FTI HDI IFT ITM LKP MOV MSD NAM NME NUN ODI ORG "
              "PDT PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL"},
    {"I.98B", "AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS DTI ERI FTI HDI IFT ITM LKP MOV MSD NAM NME NUN ODI "
              "ORG PDT PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL"},
    {"I.99A", "AAI ADS ALS APD ASD ATR CLT CMN CNX CRI CUR DAV DIS DTI ERI FTI HDI ICI IFT ITD ITM LKP MOV MSD NAM NME "
              "NUN ODI ODS ORG PDT PLI PMT PRD PRE PRO RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL TXS"},
    {"default", "ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CMP CNI CNT COD COM "
                "COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA "
                "FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS "
                "MOA MSG NAD NAT PAC PAI PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QVR RCS REL RFF RNG RTE SAL "
                "SCC SCD SEG SEL SEQ SFI SGP SGU SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TSR TXC TXT UCD UCI "
                "UCM UCR UCX UNB UNE UNG UNH UNS UNT UNZ USA USB USC USH USR UST USX USY"},
};

class TagListTest : public ::testing::TestWithParam<TagList> {};

TEST_P(TagListTest, TableHoldsExactlyTheseTags) {
    const auto* table = find_table(GetParam().table);
    ASSERT_NE(table, nullptr);
    std::istringstream in(GetParam().tags);
    std::vector<std::string> want;
    for (std::string tag; in >> tag;) want.push_back(tag);
    std::vector<std::string> got;
    for (const char* row : texts(*table)) got.emplace_back(row, 3);
    EXPECT_EQ(got, want);
    for (const std::string& tag : want) {
        EXPECT_NE(table->lookup(code_of(tag)), nullptr) << tag;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, TagListTest, ::testing::ValuesIn(kTagLists), [](const auto& info) {
    std::string name = info.param.table;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
});

// Tag codes: each letter five bits, the last letter most significant.
struct CodeCase {
    const char* tag;
    std::uint16_t code;
};

constexpr CodeCase kCodes[] = {{"AAA", 0},     {"FCA", 69},     {"MOA", 460},    {"UNB", 1460},
                               {"NAD", 3085},  {"UNH", 7604},   {"ARR", 17952},  {"UNZ", 26036},
                               {"ZZZ", 26425}, {"ACT", 19520},  {"VAL", 11285},  {"SDQ", 16498}};

TEST(TagCode, Examples) {
    for (const CodeCase& c : kCodes) EXPECT_EQ(code_of(c.tag), c.code) << c.tag;
}

// Where a tag is found: which tables define it and which do not.
struct Presence {
    const char* table;
    const char* tags;
    bool defined;
};

constexpr Presence kPresence[] = {
    {"D.98B", "RFF TAX SFI ICD", false},
    {"D.98A", "RFF TAX SFI ICD", true},
    {"D.94B", "CNT PIA BUS CNI TPL", false},
    {"D.94A", "CNT PIA BUS CNI TPL", true},
    {"93.2", "AJT APR ARD ATT BII COT CPS EMP IND MEM PIT QVR REL STS", false},
    {"92.1", "AJT APR ARD ATT BII COT CPS EMP IND MEM PIT QVR REL STS", true},
    {"88.1", "MOA", false},
    {"D.96A", "UNH UNT UNB UNZ UNG UNE UNS", false},
    {"91.2", "UNH UNT UNB UNZ UNG UNE UNS", true},
    {"91.1", "UNH UNT UNB UNZ UNG UNE UNS", false},
    {"90.2", "UNA UNH UNT UNB UNZ UNG UNE UNS", true},
    {"default", "UNA", false},
    {"D.99A", "TVL", false},
    {"I.97A", "TVL", true},
};

TEST(Lookup, WhichTablesDefineWhichTags) {
    for (const Presence& p : kPresence) {
        const auto* table = find_table(p.table);
        ASSERT_NE(table, nullptr);
        std::istringstream in(p.tags);
        for (std::string tag; in >> tag;) {
            EXPECT_EQ(table->lookup(code_of(tag)) != nullptr, p.defined) << tag << " in " << p.table;
        }
    }
}

TEST(Catalogue, ServiceSegmentsOnlyIn881And902And912AndDefault) {
    const std::set<std::string_view> with_service = {"88.1", "90.2", "91.2", "default"};
    for (const auto& t : catalogue_tables()) {
        bool has = false;
        for (const char* row : texts(t)) has |= row[0] == 'U' && (row[1] == 'N' || row[1] == 'C' || row[1] == 'S');
        EXPECT_EQ(has, with_service.count(t.name) != 0) << t.name;
    }
}

TEST(Catalogue, InteractiveDirectoriesShareOnlyTxsWithBatchDirectories) {
    std::set<std::string> batch_tags;
    for (const auto& t : catalogue_tables()) {
        if (t.name[0] != 'I' && std::string_view(t.name) != "default") {
            for (const char* row : texts(t)) batch_tags.emplace(row, 3);
        }
    }
    for (const auto& t : catalogue_tables()) {
        if (t.name[0] != 'I') continue;
        for (const char* row : texts(t)) {
            const std::string tag(row, 3);
            if (batch_tags.count(tag) != 0) {
                EXPECT_EQ(tag, "TXS") << t.name;
            }
        }
    }
}

// ARR in D.95A to D.99A: the position element, then 100 data elements of
// 100 components A35 each.
struct ArrCase {
    const char* table;
    const char* first;
    std::size_t length;
};

constexpr ArrCase kArr[] = {
    {"D.95A", "A12:A6", 40012},  {"D.95B", "A12:A6", 40012},  {"D.96A", "A12:A6", 40012},
    {"D.96B", "A12:A10", 40013}, {"D.97A", "A12:A10", 40013}, {"D.97B", "A12:A10", 40013},
    {"D.98A", "A12:A10", 40013}, {"D.98B", "A12:A10", 40013}, {"D.99A", "A35:A10", 40013},
};

TEST(Arr, HundredDataElementsOfHundredComponents) {
    std::string cell;
    for (int i = 0; i < 100; ++i) cell += i == 0 ? "A35" : ":A35";
    for (const ArrCase& c : kArr) {
        const auto* table = find_table(c.table);
        ASSERT_NE(table, nullptr);
        const char* got = lookup_text(*table, code_of("ARR"));
        ASSERT_NE(got, nullptr) << c.table;
        std::string want = std::string("ARR++") + c.first;
        for (int i = 0; i < 100; ++i) want += "+" + cell;
        want += "'";
        EXPECT_EQ(std::string_view(got), want) << c.table;
        EXPECT_EQ(std::string_view(got).size(), c.length) << c.table;
        std::vector<Field> fields;
        ASSERT_TRUE(parse_definition(got, fields));
        EXPECT_EQ(fields.size(), 10002u);
        EXPECT_EQ(data_elements(fields), 101);
    }
}

TEST(Arr, OnlyTheLongFormsAreLong) {
    // Besides the nine ARR rows no definition reaches 1,000 characters.
    for (const auto& t : catalogue_tables()) {
        for (const char* row : texts(t)) {
            if (std::string_view(row, 3) != "ARR") {
                EXPECT_LT(std::string_view(row).size(), 1000u) << t.name;
            }
        }
    }
    EXPECT_STREQ(lookup_text(*find_table("default"), code_of("ARR")), "ARR++A12:A6+A35'");
}

// UNH: fields 3 and 4 are the message version and release in every table
// that defines UNH.
TEST(Unh, VersionAndReleaseAreFieldsThreeAndFour) {
    for (const auto& t : catalogue_tables()) {
        const char* unh = lookup_text(t, code_of("UNH"));
        if (unh == nullptr) continue;
        std::vector<Field> fields;
        ASSERT_TRUE(parse_definition(unh, fields)) << t.name;
        ASSERT_GE(fields.size(), 4u) << t.name;
        EXPECT_EQ(fields[0].lead, '+');
        EXPECT_EQ(fields[1].lead, '+');
        EXPECT_EQ(fields[2].lead, ':');
        EXPECT_EQ(fields[3].lead, ':');
        EXPECT_EQ(fields[2].length, 3) << t.name;
        EXPECT_EQ(fields[3].length, 3) << t.name;
    }
}

}  // namespace
