#pragma once
// The fill of a fixed-width field, found a machine word at a time: trailing
// blanks of an alphanumeric value, and the leading blanks, zeros and minus
// signs in front of a numeric one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace marlune::compress {

namespace detail {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

inline std::uint64_t load(const char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in every byte of `w` that is zero, 0 in the others (exact: no byte
// borrows from its neighbour).
inline std::uint64_t zero_bytes(std::uint64_t w) noexcept { return ~(((w & kLow7) + kLow7) | w | kLow7); }

// 0x80 in every byte of `w` equal to `c`.
inline std::uint64_t bytes_equal(std::uint64_t w, char c) noexcept {
    return zero_bytes(w ^ (kOnes * static_cast<unsigned char>(c)));
}

inline bool numeric_fill(char c) noexcept { return c == '0' || c == ' ' || c == '-'; }

}  // namespace detail

// Length of `text` without its trailing blanks.
inline std::size_t without_trailing_blanks(std::string_view text) noexcept {
    std::size_t n = text.size();
    while (n >= 8 && detail::load(text.data() + n - 8) == detail::kOnes * ' ') n -= 8;
    while (n > 0 && text[n - 1] == ' ') --n;
    return n;
}

// The leading run of "0", blank and "-" of a numeric field: its length, and
// whether it holds a "0".
struct NumericFill {
    std::size_t length;
    bool zero;
};

inline NumericFill numeric_fill(std::string_view text) noexcept {
    constexpr std::uint64_t kAll = detail::kOnes * 0x80;
    NumericFill fill{0, false};
    std::size_t& i = fill.length;
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t w = detail::load(text.data() + i);
        const std::uint64_t zeros = detail::bytes_equal(w, '0');
        if ((zeros | detail::bytes_equal(w, ' ') | detail::bytes_equal(w, '-')) != kAll) break;
        fill.zero = fill.zero || zeros != 0;
    }
    for (; i < text.size() && detail::numeric_fill(text[i]); ++i) fill.zero = fill.zero || text[i] == '0';
    return fill;
}

}  // namespace marlune::compress
