#include "expand/message.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <optional>

#include "common/context.hpp"
#include "directory/lookup.hpp"

namespace marlune::expand {

void message_start(MessageState& msg) {
    msg.cntnum = 0.0;
    msg.PREVDIREC = msg.DIREC;
    msg.PREVMSTYPEVER = msg.MSTYPEVER;
    msg.DIREC.clear();
    msg.MSTYPEVER.clear();
    ++msg.MESSNO;
    msg.inUNH = 1;
}

namespace {

// Blanks at the end, then blanks at the start, removed; a to z upper-cased.
void tidy(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const auto first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

}  // namespace

void capture_unh(Context& ctx, int fieldno, std::string_view value) {
    if (!ctx.msg.inUNH || (fieldno != 3 && fieldno != 4)) return;
    const bool version = fieldno == 3;
    std::string& current = version ? ctx.msg.MSTYPEVER : ctx.msg.DIREC;
    const std::string& previous = version ? ctx.msg.PREVMSTYPEVER : ctx.msg.PREVDIREC;
    current.assign(value.substr(0, MAX_CAPTURE));
    tidy(current);
    if (current == previous) return;
    std::fprintf(ctx.err, "New directory (UNH.%s) '%s' detected (message %d, line %d)\n",
                 version ? "0052" : "0054", current.c_str(), ctx.msg.MESSNO, ctx.LINENO());
    if (!version) directory::findDirec(ctx, ctx.msg.DIREC.c_str());
}

namespace {
locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}
}  // namespace

namespace {

// Plain decimals (an optional sign, digits with at most one point, at most
// 15 significant digits and 22 decimals) are converted with one division of
// two exactly represented numbers, which IEEE arithmetic rounds correctly:
// the same double that strtod gives, without its cost. Anything else
// (blanks, exponents, hexadecimal, no digits) is left to strtod.
std::optional<double> plain_decimal(std::string_view text) noexcept {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint64_t mantissa = 0;
    int significant = 0, decimals = 0;
    bool point = false, digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (point) ++decimals;
            if (mantissa == 0 && c == '0') continue;
            if (++significant > 15) return std::nullopt;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits || decimals > 22) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'x' || text[i] == 'X')) return std::nullopt;
    const double value = static_cast<double>(mantissa) / kPow10[decimals];
    return negative ? -value : value;
}

}  // namespace

double numeric_value(std::string_view text) {
    if (const auto value = plain_decimal(text)) return *value;
    std::array<char, 64> small;
    std::string large;
    const char* s;
    if (text.size() < small.size()) {
        std::memcpy(small.data(), text.data(), text.size());
        small[text.size()] = '\0';
        s = small.data();
    } else {
        large.assign(text);
        s = large.c_str();
    }
    return strtod_l(s, nullptr, c_locale());
}

std::string prtCntNum(double cntnum) {
    // Fixed notation of any double fits: at most 309 integer digits, a sign,
    // a point and 18 decimals.
    std::array<char, 400> buf;
    const locale_t previous = uselocale(c_locale());
    const int n = std::snprintf(buf.data(), buf.size(), "%.18f", cntnum);
    uselocale(previous);
    std::string text(buf.data(), static_cast<std::size_t>(n > 0 ? n : 0));
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace marlune::expand
