#include "expand/number.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "expand/c_locale.hpp"

namespace marlune::expand {

namespace {

constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;  // saturation of counts
constexpr std::int64_t kTextExponentCap = 1'000'000'000;     // beyond this, inf or 0 anyway

bool is_space(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

char lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Digit value of c in bases up to 36, or -1.
int digit_value(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = lower(c);
    if (l >= 'a' && l <= 'z') return l - 'a' + 10;
    return -1;
}

std::int64_t saturated_add(std::int64_t a, std::int64_t b) noexcept {
    return std::clamp(a + b, -kExponentCap, kExponentCap);  // both operands are within the cap
}

}  // namespace

void NumberReader::step(char c) noexcept {
    switch (state_) {
        case State::space:
            if (is_space(c)) return;
            state_ = State::start;
            if (c == '+' || c == '-') {
                negative_ = c == '-';
                return;
            }
            [[fallthrough]];
        case State::start:
            if (c == '0') {
                any_digit_ = true;
                state_ = State::zero;
            } else if (c >= '1' && c <= '9') {
                state_ = State::mantissa;
                any_digit_ = true;
                digit(c - '0');
            } else if (c == '.') {
                point_ = true;
                state_ = State::mantissa;
            } else if (lower(c) == 'i' || lower(c) == 'n') {
                word_ = lower(c) == 'i' ? Word::inf : Word::nan;
                matched_ = 1;
                state_ = State::word;
            } else {
                finish();
            }
            return;
        case State::zero:
            if (c == 'x' || c == 'X') {
                state_ = State::hex_start;
                return;
            }
            state_ = State::mantissa;
            break;  // on to the mantissa with this byte
        case State::hex_start:
        case State::hex_point: {
            const int d = digit_value(c);
            if (d >= 0 && d < 16) {
                hex_ = true;
                state_ = State::mantissa;
                digit(d);
            } else if (c == '.' && state_ == State::hex_start) {
                point_ = true;
                state_ = State::hex_point;
            } else {
                point_ = false;  // only the "0" before the "x" counts
                finish();
            }
            return;
        }
        case State::exp_start:
            if (c == '+' || c == '-') {
                exp_negative_ = c == '-';
                state_ = State::exp_sign;
                return;
            }
            [[fallthrough]];
        case State::exp_sign:
        case State::exp_digits:
            if (c >= '0' && c <= '9') {
                exp_valid_ = true;
                exponent_ = std::min(exponent_ * 10 + (c - '0'), kExponentCap);
                state_ = State::exp_digits;
            } else {
                finish();
            }
            return;
        case State::word: {
            static constexpr std::string_view kInfinity = "infinity";
            static constexpr std::string_view kNan = "nan";
            const std::string_view word = word_ == Word::inf ? kInfinity : kNan;
            if (matched_ < word.size() && lower(c) == word[matched_]) {
                if (++matched_ == word.size() && word_ == Word::inf) finish();
            } else if (word_ == Word::nan && matched_ == kNan.size() && c == '(') {
                state_ = State::nan_seq;
            } else {
                finish();
            }
            return;
        }
        case State::nan_seq:
            if (c == ')') {
                nan_closed_ = true;
                finish();
            } else if (digit_value(c) >= 0 || c == '_') {
                nan_char(c);
            } else {
                finish();
            }
            return;
        case State::mantissa:
        case State::done:
            break;
    }
    if (state_ != State::mantissa) return;
    const int d = digit_value(c);
    if (d >= 0 && d < (hex_ ? 16 : 10)) {
        any_digit_ = true;
        digit(d);
    } else if (c == '.' && !point_) {
        point_ = true;
    } else if (any_digit_ && lower(c) == (hex_ ? 'p' : 'e')) {
        state_ = State::exp_start;
    } else {
        finish();
    }
}

void NumberReader::digit(int d) noexcept {
    if (digits_.empty() && d == 0) {
        // A leading zero: behind the point it lowers the first significant
        // digit's position, before it it is nothing.
        if (point_) position_ = std::max(position_ - 1, -kExponentCap);
        return;
    }
    if (digits_.size() < (hex_ ? HEX_DIGITS : DECIMAL_DIGITS)) {
        digits_.push_back("0123456789abcdef"[d]);
    } else if (d != 0) {
        sticky_ = true;
    }
    if (!point_) position_ = std::min(position_ + 1, kExponentCap);
}

// The characters between "nan(" and ")" as strtoull with base 0 reads them:
// a payload only when all of them are digits of the base it chooses.
void NumberReader::nan_char(char c) noexcept {
    const std::size_t at = nan_length_++;
    if (!nan_valid_) return;
    if (at == 0) {
        nan_base_ = c == '0' ? 8 : 10;
    } else if (at == 1 && nan_base_ == 8 && nan_payload_ == 0 && (c == 'x' || c == 'X')) {
        nan_base_ = 16;
        return;
    }
    const int d = digit_value(c);
    if (d < 0 || d >= nan_base_) {
        nan_valid_ = false;
        return;
    }
    const auto base = static_cast<std::uint64_t>(nan_base_);
    const auto digit = static_cast<std::uint64_t>(d);
    if (nan_payload_ > (std::numeric_limits<std::uint64_t>::max() - digit) / base) {
        nan_overflow_ = true;
    } else {
        nan_payload_ = nan_payload_ * base + digit;
    }
}

double NumberReader::value() const {
    const char* sign = negative_ ? "-" : "";
    std::string text;
    if (word_ != Word::none) {
        if (matched_ < 3) return 0.0;  // "i", "in", "n", "na": no number
        if (word_ == Word::inf) return negative_ ? -HUGE_VAL : HUGE_VAL;
        text = std::string(sign) + "nan";
        if (nan_closed_) {
            // The payload rebuilt in a text that strtoull reads the same way.
            std::string payload;
            if (!nan_valid_ || (nan_base_ == 16 && nan_length_ == 2)) {
                payload = "_";  // not a number of its base: no payload
            } else if (nan_overflow_) {
                payload = "99999999999999999999999";
            } else if (nan_length_ != 0) {
                payload = std::to_string(nan_payload_);
            }
            text += "(" + payload + ")";
        }
    } else {
        if (!any_digit_) return 0.0;
        if (digits_.empty()) return negative_ ? -0.0 : 0.0;
        const std::int64_t position = std::clamp(position_, -kTextExponentCap, kTextExponentCap);
        const std::int64_t written = exp_valid_ ? (exp_negative_ ? -exponent_ : exponent_) : 0;
        const std::int64_t exponent = std::clamp(saturated_add(hex_ ? 4 * position : position, written),
                                                 -kTextExponentCap * 4, kTextExponentCap * 4);
        text = std::string(sign) + (hex_ ? "0x0." : "0.") + digits_ + (sticky_ ? "1" : "") + (hex_ ? "p" : "e") +
               std::to_string(exponent);
    }
    return strtod_l(text.c_str(), nullptr, c_locale());
}

namespace {

// Plain decimals (leading blanks, an optional sign, digits with at most one
// point, at most 15 significant digits and 22 decimals) are converted with one division of
// two exactly represented numbers, which IEEE arithmetic rounds correctly:
// the same double that strtod gives, without its cost.
std::optional<double> plain_decimal(std::string_view text) noexcept {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return 0.0;  // blanks alone: no number
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint64_t mantissa = 0;
    int significant = 0, decimals = 0;
    bool point = false, digits = false;
    // The leading zeros of a fixed-width field, eight at a time.
    for (std::uint64_t w; i + 8 <= text.size(); i += 8) {
        std::memcpy(&w, text.data() + i, sizeof w);
        if (w != 0x3030303030303030ULL) break;
        digits = true;
    }
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
    NumberReader reader;
    reader.feed(text);
    return reader.value();
}

locale_t c_locale() noexcept {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace marlune::expand
