// The value of a numeric text, read in pieces, against strtod on the whole
// text in the C locale: bit for bit, for texts of any length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <random>
#include <string>

#include "expand/number.hpp"

namespace marlune {
namespace {

double reference(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text.c_str(), nullptr, c);
}

std::uint64_t bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// The text fed whole and in random pieces gives strtod's double.
void expect_same(const std::string& text, std::mt19937_64& rng) {
    const std::uint64_t want = bits(reference(text));
    ASSERT_EQ(bits(expand::numeric_value(text)), want) << "text of " << text.size() << " bytes: " << text.substr(0, 120);
    expand::NumberReader reader;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t n = std::min<std::size_t>(text.size() - at, 1 + rng() % 64);
        reader.feed(std::string_view(text).substr(at, n));
        at += n;
    }
    ASSERT_EQ(bits(reader.value()), want) << "in pieces: " << text.substr(0, 120);
}

TEST(NumberValue, TableOfForms) {
    std::mt19937_64 rng(1);
    for (const char* text :
         {"", "0", "-0", "+0", "-", "+", ".", "-.", ".5", "5.", "-12", "12,5", "  \t\n42", " -7e2x", "1e", "1e+", "1e-2",
          "1E5", ".e5", "0x", "0x1", "-0X1p4", "0x.8", "0x.p1", "0x1.8p", "0x1.8p-3", "0xg", "0x1g", "inf", "-INF",
          "infinity", "infinit", "in", "i", "nan", "-nan", "NaN(123)", "nan(0x1f)", "nan(0x)", "nan(08)", "nan(017)",
          "nan()", "nan(abc)", "nan(1", "nan(_)", "nan(99999999999999999999999999)", "n", "na", "00000123.4500e-0003",
          "1e400", "-1e400", "1e-400", "4.9406564584124654e-324", "2.4703282292062328e-324", "1.7976931348623157e308",
          "1.7976931348623158e308", "1.7976931348623159e308", "9007199254740993", "0.1", "123456789012345678901234567890",
          "1e99999999999999999999", "1e-99999999999999999999", "0.000000000000000000000000000000000001e36"}) {
        SCOPED_TRACE(text);
        expect_same(text, rng);
    }
}

// Exact decimal texts of the midpoints between neighbouring doubles (held
// exactly in long double), cut short, made longer with zeros, or tipped
// by a non-zero digit far behind: each must round the way strtod rounds it.
TEST(NumberValue, HalfwayCases) {
    std::mt19937_64 rng(2);
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    for (int i = 0; i < 400; ++i) {
        const double d = std::ldexp(1.0 + static_cast<double>(rng() % 1000000) / 1e6, exponent(rng));
        const double next = std::nextafter(d, INFINITY);
        if (!std::isfinite(next)) continue;
        const long double mid = (static_cast<long double>(d) + static_cast<long double>(next)) / 2;
        char buf[2000];
        std::snprintf(buf, sizeof buf, "%.1100Le", mid);
        std::string text = buf;
        expect_same(text, rng);
        const std::size_t e = text.find('e');
        const std::string mantissa = text.substr(0, e), exp = text.substr(e);
        expect_same(mantissa.substr(0, 760) + exp, rng);
        expect_same(mantissa + std::string(rng() % 3000, '0') + "1" + exp, rng);
        expect_same("-" + mantissa + std::string(2000, '0') + exp, rng);
    }
}

std::string random_text(std::mt19937_64& rng) {
    std::string t;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    if (pick(4) == 0) t.append(static_cast<std::size_t>(pick(4)), " \t"[pick(2)]);
    if (pick(3) == 0) t += "+-"[pick(2)];
    const bool hex = pick(8) == 0;
    if (hex) t += "0x";
    const std::size_t lengths[] = {0, 1, 5, 17, 40, 300, 800, 900, 5000};
    t.append(lengths[pick(9)] * (pick(2) ? 1 : 0), '0');
    const std::size_t digits = lengths[pick(9)];
    for (std::size_t i = 0; i < digits; ++i) t += (hex ? "0123456789abcdefABCDEF" : "0123456789")[pick(hex ? 22 : 10)];
    if (pick(2)) {
        t += '.';
        t.append(lengths[pick(9)] * (pick(3) == 0 ? 1 : 0), '0');
        const std::size_t frac = lengths[pick(9)];
        for (std::size_t i = 0; i < frac; ++i) t += "0123456789"[pick(10)];
    }
    if (pick(2)) {
        t += hex ? "pP"[pick(2)] : "eE"[pick(2)];
        if (pick(2)) t += "+-"[pick(2)];
        const int n = pick(6);
        for (int i = 0; i < n; ++i) t += "0123456789"[pick(10)];
    }
    if (pick(4) == 0) t += "x:.e-"[pick(5)];
    return t;
}

TEST(NumberValue, RandomTexts) {
    std::mt19937_64 rng(3);
    for (int i = 0; i < 5000; ++i) expect_same(random_text(rng), rng);
}

TEST(NumberValue, HundredThousandDigits) {
    std::mt19937_64 rng(4);
    for (const char* tail : {"", "e-99990", "e-100010", "e-100300"}) {
        std::string t(100000, '0');
        for (char& c : t) c = static_cast<char>('0' + rng() % 10);
        t[0] = '7';
        expect_same(t + tail, rng);
        expect_same("0." + std::string(100000, '0') + "17" + tail, rng);
        expect_same("-" + std::string(100000, '0') + "." + t + tail, rng);
    }
}

}  // namespace
}  // namespace marlune
