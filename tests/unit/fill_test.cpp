// The word-at-a-time fill scans against a byte-at-a-time reading of the
// same rules, over every length up to a few words and every position of
// the first byte that is not fill.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/separators.hpp"
#include "compress/fill.hpp"

namespace marlune::compress {
namespace {

std::size_t trailing_reference(const std::string& t) {
    std::size_t n = t.size();
    while (n > 0 && t[n - 1] == ' ') --n;
    return n;
}

NumericFill leading_reference(const std::string& t) {
    NumericFill f{0, false, false};
    for (; f.length < t.size() && (t[f.length] == '0' || t[f.length] == ' ' || t[f.length] == '-'); ++f.length) {
        if (t[f.length] == '0') f.zero = true;
        if (t[f.length] == '-') f.minus = true;
    }
    return f;
}

TEST(Fill, WordScansAgreeWithByteScans) {
    std::mt19937 rng(7);
    // Bytes near the fill bytes in value, so that a scan that compares loosely
    // (a borrow between bytes, a wrong mask) is caught.
    const std::string alphabet = std::string(" 0-!/1,.\x1F\xA0\xB0\xAD") + '\0';
    for (std::size_t size = 0; size <= 40; ++size) {
        for (int round = 0; round < 300; ++round) {
            std::string t(size, ' ');
            for (char& c : t) c = alphabet[rng() % alphabet.size()];
            // Long runs of fill at the start or end, broken at a random place.
            const std::size_t cut = size == 0 ? 0 : rng() % (size + 1);
            std::string numeric = t, blanks = t;
            for (std::size_t i = 0; i < cut; ++i) numeric[i] = "0 -"[rng() % 3];
            for (std::size_t i = cut; i < size; ++i) blanks[i] = ' ';
            EXPECT_EQ(without_trailing_blanks(blanks), trailing_reference(blanks)) << '"' << blanks << '"';
            const NumericFill got = numeric_fill(numeric), want = leading_reference(numeric);
            EXPECT_EQ(got.length, want.length) << '"' << numeric << '"';
            EXPECT_EQ(got.zero, want.zero) << '"' << numeric << '"';
            EXPECT_EQ(got.minus, want.minus) << '"' << numeric << '"';

            // The padded scans read past the text: the bytes there, fill or
            // not, must not count.
            for (const char after : {' ', '0', 'X'}) {
                std::string padded_numeric = numeric + std::string(16, after);
                const std::string_view n(padded_numeric.data(), size);
                const NumericFill p = numeric_fill_padded(n);
                EXPECT_EQ(p.length, want.length) << '"' << numeric << "\" after " << after;
                EXPECT_EQ(p.zero, want.zero) << '"' << numeric << "\" after " << after;
                EXPECT_EQ(p.minus, want.minus) << '"' << numeric << "\" after " << after;
            }
        }
    }
}

// The stop-byte scan that may read past the text agrees with the one that
// does not, for the separator sets of both levels and an advice's, whatever
// stands after the text.
TEST(Fill, PaddedStopScanAgreesWithTheOther) {
    std::mt19937 rng(99);
    const std::string alphabet = std::string("AZ09 +:'?\n\r!*|~\x1D\x1F\x1C") + '\0';
    for (const Separators sep : {Separators::level_a(), Separators::level_b(), Separators{'*', '|', '~', '!'}}) {
        StopBytes<2> stops('\n', '\r');
        stops.of(sep);
        for (std::size_t size = 0; size <= 40; ++size) {
            for (int round = 0; round < 200; ++round) {
                std::string t(size + 16, ' ');
                for (char& c : t) c = rng() % 4 == 0 ? alphabet[rng() % alphabet.size()] : 'x';
                const std::string_view text(t.data(), size);
                EXPECT_EQ(stops.run_length_padded(text), stops.run_length(text)) << '"' << t << '"';
            }
        }
    }
}

TEST(Fill, Table) {
    struct Case {
        std::string text;
        std::size_t trimmed, fill;
        bool zero, minus;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"", 0, 0, false, false},
             {"        ", 0, 8, false, false},
             {"000000000000000000", 18, 18, true, false},
             {"-00000000001234.50", 18, 11, true, true},
             {"           -12    ", 14, 12, false, true},
             {"00000000000-1234.5", 18, 12, true, true},
             {"0000000000000000-5", 18, 17, true, true},
             {"EUR                                ", 3, 0, false, false},
             {"A B      C        ", 10, 0, false, false},
         }) {
        EXPECT_EQ(without_trailing_blanks(c.text), c.trimmed) << '"' << c.text << '"';
        EXPECT_EQ(numeric_fill(c.text).length, c.fill) << '"' << c.text << '"';
        EXPECT_EQ(numeric_fill(c.text).zero, c.zero) << '"' << c.text << '"';
        EXPECT_EQ(numeric_fill(c.text).minus, c.minus) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace marlune::compress
