#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <random>
#include <limits>
#include <string>

#include "directory/lookup.hpp"
#include "expand/message.hpp"
#include "harness.hpp"

namespace marlune::test {
namespace {

TEST(PrtCntNum, TrimsTrailingZerosAndPoint) {
    struct Case {
        double value;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{15, "15"},
                                           {-1234.5, "-1234.5"},
                                           {0, "0"},
                                           {100, "100"},
                                           {10.1 + 20.2, "30.299999999999997158"},
                                           {1e-30, "0"}}) {
        EXPECT_EQ(expand::prtCntNum(c.value), c.text) << c.value;
    }
}

TEST(PrtCntNum, AnyMagnitudeFits) {
    const std::string big = expand::prtCntNum(std::numeric_limits<double>::max());
    EXPECT_EQ(big.size(), 309u);
    EXPECT_EQ(big.substr(0, 5), "17976");
    EXPECT_EQ(expand::prtCntNum(-std::numeric_limits<double>::max()).size(), 310u);
    EXPECT_EQ(expand::prtCntNum(1e100).substr(0, 2), "10");
}

TEST(NumericValue, ReadsLikeStrtodInTheCLocale) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : std::vector<Case>{{"12,5", 12},
                                           {"  -0012.50", -12.5},
                                           {"abc", 0},
                                           {"", 0},
                                           {"1e3x", 1000},
                                           {"+7", 7},
                                           {"000000000000001234.50", 1234.5}}) {
        EXPECT_DOUBLE_EQ(expand::numeric_value(c.text), c.value) << c.text;
    }
}

// Bit for bit the value strtod gives in the C locale, for random texts made
// of the characters that matter to it.
TEST(NumericValue, AgreesWithStrtodOnRandomTexts) {
    const std::string alphabet = "0000123456789..--+eEx ,";
    std::mt19937 random(12345);
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int length = static_cast<int>(random() % 26);
        for (int k = 0; k < length; ++k) text.push_back(alphabet[random() % alphabet.size()]);
        const double want = strtod_l(text.c_str(), nullptr, c);
        const double got = expand::numeric_value(text);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof want), 0) << '"' << text << '"' << " gives " << got << ", not " << want;
    }
    freelocale(c);
}

// Selects a locale whose decimal mark is a comma, compiling one into a
// scratch folder when none is installed.
bool select_decimal_comma_locale() {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) return true;
    const std::string dir = ::testing::TempDir() + "marlune-locales";
    const std::string cmd = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                            "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(NumericValue, IgnoresTheProcessLocale) {
    // A locale whose decimal mark is a comma must not change the reading.
    if (!select_decimal_comma_locale()) GTEST_SKIP() << "no locale with a decimal comma available";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const double v = expand::numeric_value("12.5");
    const std::string t = expand::prtCntNum(0.5);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_EQ(t, "0.5");
}

// The version and release of each UNH are tidied, compared with the
// previous message's and reported when they change.
TEST(Capture, ReportsChangesAndSelectsTheDirectory) {
    Harness h("");
    auto message = [&](const std::string& version, const std::string& release) {
        expand::message_start(h.ctx.msg, h.ctx.dir);
        expand::capture_unh(h.ctx, 3, version);
        expand::capture_unh(h.ctx, 4, release);
        h.ctx.msg.inUNH = 0;
    };
    message("d", "96a ");
    EXPECT_EQ(h.ctx.dir._DIREC, 10);
    EXPECT_EQ(h.ctx.dir.DIREC, "96A");
    EXPECT_EQ(h.ctx.dir.MSTYPEVER, "D");
    message(" D", "97A");
    EXPECT_EQ(h.ctx.dir._DIREC, 12);
    message("D", "97A");
    message("D", "");
    EXPECT_EQ(h.ctx.dir._DIREC, -2);
    EXPECT_EQ(h.errors(),
              "New directory (UNH.0052) 'D' detected (message 1, line 1)\n"
              "New directory (UNH.0054) '96A' detected (message 1, line 1)\n"
              "New directory (UNH.0054) '97A' detected (message 2, line 1)\n"
              "New directory (UNH.0054) '' detected (message 4, line 1)\n"
              "Warning: I don't know of directory ''\n");
}

TEST(Capture, BoundedToTwentyFourCharacters) {
    Harness h("");
    expand::message_start(h.ctx.msg, h.ctx.dir);
    expand::capture_unh(h.ctx, 4, std::string(100, 'x'));
    EXPECT_EQ(h.ctx.dir.DIREC, std::string(24, 'X'));
    EXPECT_EQ(h.ctx.dir._DIREC, -2);
}

TEST(Capture, OnlyInsideUnh) {
    Harness h("");
    expand::capture_unh(h.ctx, 4, "96A");
    EXPECT_EQ(h.ctx.dir.DIREC, "");
    EXPECT_EQ(h.ctx.dir._DIREC, 0);
    EXPECT_EQ(h.errors(), "");
}

// The line and message counters do not wrap at 2^31: started just below,
// they are quoted in full after it.
TEST(Counters, PastTwoToTheThirtyOne) {
    Harness h("\nUNH+1+ORDERS:D:97A:UN'\nXYZ+1'\n");
    h.in.LINENO = 2147483647;
    h.ctx.msg.MESSNO = 2147483647;
    h.convert(driver::Command::au);
    EXPECT_EQ(h.errors(),
              "New directory (UNH.0052) 'D' detected (message 2147483648, line 2147483648)\n"
              "New directory (UNH.0054) '97A' detected (message 2147483648, line 2147483648)\n"
              "Can't uncompress/compress tag 'XYZ' (line 2147483649), tag is unknown to me\n");
    EXPECT_EQ(h.in.LINENO, 2147483650);
}

TEST(MessageStart, MovesCurrentToPrevious) {
    expand::MessageState m;
    directory::Selection dir(stderr);
    dir.DIREC = "96A";
    dir.MSTYPEVER.assign(1, 'D');
    m.cntnum = 12;
    expand::message_start(m, dir);
    EXPECT_EQ(m.PREVDIREC, "96A");
    EXPECT_EQ(m.PREVMSTYPEVER, "D");
    EXPECT_EQ(dir.DIREC, "");
    EXPECT_EQ(dir.MSTYPEVER, "");
    EXPECT_EQ(m.cntnum, 0);
    EXPECT_EQ(m.MESSNO, 1);
    EXPECT_EQ(m.inUNH, 1);
}

}  // namespace
}  // namespace marlune::test
