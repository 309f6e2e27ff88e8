// The marks of a line's non-blank bytes, through every scan the processor
// has, against a byte-by-byte reading: the line feed test, the next
// non-blank byte from every position and the end of the last one before
// every position, with bytes after the line that must not count.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "compress/nonblank.hpp"

namespace marlune::compress {
namespace {

struct Case {
    NonBlank::Scan scan;
    const char* name;
};

// Marks random lines of every width in `widths` through `mark` (which
// marks a fresh object and returns it with the line feed test) and checks
// every answer.
template <class Mark>
void check_against_bytes(const std::vector<std::size_t>& widths, const std::string& name, Mark mark) {
    std::mt19937 rng(11);
    // Bytes close to a blank and a line feed in value (0xA0 = blank | 0x80,
    // 0x0B, NUL), so that a loose comparison is caught.
    const std::string others = std::string("X0-\xA0\x0B\x21\x1F") + '\0';
    for (const std::size_t width : widths) {
        for (int round = 0; round < 12; ++round) {
            // Mostly blank, as uncompressed lines are, with as much after
            // the line as either kind of marks reads; now and then a line
            // feed inside the line or just past it.
            std::string text(width + std::max(NonBlank::READS_PAST, ShortNonBlank::READS_PAST), ' ');
            const int density = 1 + static_cast<int>(rng() % 8);
            for (char& c : text) {
                if (static_cast<int>(rng() % 16) < density) c = others[rng() % others.size()];
            }
            if (round % 3 == 0 && width != 0) text[rng() % width] = '\n';
            if (round % 3 == 1) text[width + rng() % NonBlank::READS_PAST] = '\n';
            const std::string where = name + ", width " + std::to_string(width) + ", round " + std::to_string(round);

            bool feed = false;
            for (std::size_t k = 0; k < width; ++k) feed = feed || text[k] == '\n';
            const auto [marks, marked_feed] = mark(text.data(), width);
            ASSERT_EQ(marked_feed, feed) << where;

            // next(p) for every p up to the width.
            std::size_t following = width;  // the first non-blank at or after p
            for (std::size_t p = width + 1; p-- > 0;) {
                if (p < width && text[p] != ' ') following = p;
                const std::size_t got = marks->next(p);
                if (following == width) {
                    ASSERT_GE(got, width) << where << ", next(" << p << ")";
                } else {
                    ASSERT_EQ(got, following) << where << ", next(" << p << ")";
                }
            }
            // end_before(end) wherever a non-blank stands before `end`.
            std::size_t last_end = 0;  // one past the last non-blank before end
            for (std::size_t end = 1; end <= width; ++end) {
                if (text[end - 1] != ' ') last_end = end;
                if (last_end != 0) {
                    ASSERT_EQ(marks->end_before(end), last_end) << where << ", end_before(" << end << ")";
                }
            }
        }
    }
}

class NonBlankScan : public ::testing::TestWithParam<Case> {};

TEST_P(NonBlankScan, AgreesWithAByteByByteReading) {
    const NonBlank::Scan scan = GetParam().scan;
    if (!NonBlank::available(scan)) GTEST_SKIP() << "this processor has no " << GetParam().name;
    std::vector<std::size_t> widths;
    for (std::size_t w = 0; w <= 200; ++w) widths.push_back(w);
    for (const std::size_t w : {255, 256, 257, 511, 512, 1000, 4095, 8191, 8192}) widths.push_back(w);
    check_against_bytes(widths, GetParam().name, [scan](const char* text, std::size_t width) {
        // Fresh and zeroed, so that a search that ran past the marked
        // words would find nothing to stop it (and the sanitizers would
        // see it leave the object).
        auto marks = std::make_unique<NonBlank>();
        const bool feed = marks->mark(text, width, scan);
        return std::make_pair(std::move(marks), feed);
    });
}

// A short line's marks in one word, for every width it takes.
TEST(ShortNonBlank, AgreesWithAByteByByteReading) {
    std::vector<std::size_t> widths;
    for (std::size_t w = 0; w <= ShortNonBlank::WIDEST; ++w) widths.push_back(w);
    check_against_bytes(widths, "one word", [](const char* text, std::size_t width) {
        auto marks = std::make_unique<ShortNonBlank>();
        const bool feed = marks->mark(text, width);
        return std::make_pair(std::move(marks), feed);
    });
}

INSTANTIATE_TEST_SUITE_P(Scans, NonBlankScan,
                         ::testing::Values(Case{NonBlank::Scan::bytes, "bytes"},
                                           Case{NonBlank::Scan::vectors16, "vectors16"},
                                           Case{NonBlank::Scan::vectors32, "vectors32"},
                                           Case{NonBlank::Scan::vectors64, "vectors64"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NonBlankScan, TheBestScanIsAvailable) { EXPECT_TRUE(NonBlank::available(NonBlank::best())); }

}  // namespace
}  // namespace marlune::compress
