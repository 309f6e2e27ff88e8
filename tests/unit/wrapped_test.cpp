#include <gtest/gtest.h>

#include <random>
#include <string>

#include "directory/lookup.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

std::string expand(const std::string& input, std::size_t chunk = io::Input::BLOCK) {
    Harness h(input, chunk);
    directory::findTheDIREC(h.ctx.dir, "D.96A");
    h.convert(driver::Command::au);
    return h.output();
}

// An interchange wrapped at a fixed width, or with long segments broken, is
// the same interchange: line ends anywhere between its bytes (not between a
// release character and the byte it releases) change nothing.
TEST(Wrapped, LineEndsAnywhereChangeNothing) {
    const std::string plain =
        "UNB+UNOA:1+SENDER+RECEIVER+961231:1200+1'UNH+1+ORDERS:D:96A:UN'BGM+220+PO?:4711+9'"
        "NAD+BY+++Name+Street+Town+23436+DE'FTX+AAA+++Price?: 10?+ tax?'s'QTY+21:48:PCE'"
        "MOA+203:-1234.5:EUR'PRI+AAA:587'UNT+8+1'UNZ+1+1'";
    const std::string expected = expand(plain);
    ASSERT_EQ(expected.find('\r'), std::string::npos);
    std::mt19937 rng(7);
    const char* const ends[] = {"\n", "\r\n", "\r", "\n\n"};
    for (int n = 0; n < 300; ++n) {
        std::string wrapped;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            wrapped += plain[i];
            const bool released = plain[i] == '?';
            if (!released && rng() % 6 == 0) wrapped += ends[rng() % 4];
        }
        EXPECT_EQ(expand(wrapped, 1 + rng() % 20), expected) << wrapped;
    }
}

// The same at a fixed width, as many senders write it.
TEST(Wrapped, FixedWidthLines) {
    const std::string plain = "UNH+1+ORDERS:D:96A:UN'NAD+BY+++Name+Street+Town+23436+DE'QTY+21:48:PCE'";
    for (const std::size_t width : {1, 2, 3, 7, 80}) {
        std::string wrapped;
        for (std::size_t i = 0; i < plain.size(); i += width) wrapped += plain.substr(i, width) + "\r\n";
        EXPECT_EQ(expand(wrapped), expand(plain)) << "width " << width;
    }
}

}  // namespace
}  // namespace marlune::test
