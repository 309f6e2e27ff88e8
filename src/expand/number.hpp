#pragma once
// Numeric value of a field's text, read like strtod in the C locale: leading
// white space, an optional sign, then a decimal number (digits with an
// optional point and exponent), a hexadecimal one ("0x..." with an optional
// "p" exponent), "inf"/"infinity" or "nan" with an optional "(...)"; the
// longest such beginning counts, and a text without one is worth 0.
//
// A value in the input can be of any length, and is not held whole: the
// reader takes it a piece at a time and keeps only what decides the double,
// the first significant digits (enough for correct rounding), whether a
// non-zero digit follows them, and the exponent. From those it builds a
// short text with the same value and converts that.
#include <cstdint>
#include <string>
#include <string_view>

namespace marlune::expand {

class NumberReader {
public:
    // Takes the next piece of the text.
    void feed(std::string_view piece) noexcept {
        for (const char c : piece) {
            if (state_ == State::done) return;
            step(c);
        }
    }

    // Starts a new text; keeps the room already obtained for digits.
    void reset() noexcept {
        std::string digits = std::move(digits_);
        digits.clear();
        *this = NumberReader{};
        digits_ = std::move(digits);
    }

    // The value of the text fed so far, bit for bit what strtod gives for it.
    double value() const;

    // Kept significant digits: 767 decide the rounding of every decimal
    // text; the rest only matter through "is any of them non-zero".
    static constexpr std::size_t DECIMAL_DIGITS = 800;
    static constexpr std::size_t HEX_DIGITS = 40;

private:
    enum class State : std::uint8_t {
        space,       // leading white space
        start,       // after the sign
        zero,        // a first "0": decimal, or the start of "0x"
        hex_start,   // after "0x": needs a hexadecimal digit (or point and one)
        hex_point,   // after "0x.": needs a hexadecimal digit
        mantissa,    // digits and a point
        exp_start,   // after "e" or "p"
        exp_sign,    // after the exponent's sign
        exp_digits,  // in the exponent's digits
        word,        // matching "inf", "infinity" or "nan"
        nan_seq,     // inside "nan(...": up to the ")"
        done,        // the number has ended; the rest of the text is ignored
    };

    void step(char c) noexcept;
    void digit(int d) noexcept;
    void nan_char(char c) noexcept;
    void finish() noexcept { state_ = State::done; }

    State state_ = State::space;
    bool negative_ = false;
    bool hex_ = false;        // hexadecimal mantissa
    bool any_digit_ = false;  // the mantissa has at least one digit
    bool point_ = false;
    bool sticky_ = false;     // a non-zero digit beyond the kept ones
    std::string digits_;      // significant digits kept (no leading zeros)
    std::int64_t position_ = 0;  // exponent of the first significant digit, in digits
    std::int64_t exponent_ = 0;  // explicit exponent (saturated)
    bool exp_negative_ = false;
    bool exp_valid_ = false;   // the exponent has digits

    // "inf", "infinity" and "nan"
    enum class Word : std::uint8_t { none, inf, nan } word_ = Word::none;
    std::uint8_t matched_ = 0;  // letters of the word matched so far

    // The "(...)" of a NaN: its payload as strtoull would read it.
    bool nan_closed_ = false;
    bool nan_valid_ = true;
    bool nan_overflow_ = false;
    int nan_base_ = 10;
    std::size_t nan_length_ = 0;
    std::uint64_t nan_payload_ = 0;
};

// The value of a whole text.
double numeric_value(std::string_view text);

}  // namespace marlune::expand
