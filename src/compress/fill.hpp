#pragma once
// The fill of a fixed-width field, found a machine word at a time: trailing
// blanks of an alphanumeric value, and the leading blanks, zeros and minus
// signs in front of a numeric one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Length of `text` without its trailing blanks. Long alphanumeric fields
// (free texts of 512 characters) are mostly blank: they are scanned sixteen
// bytes at a time where the machine has vectors, eight otherwise.
inline std::size_t without_trailing_blanks(std::string_view text) noexcept {
    std::size_t n = text.size();
#if defined(__SSE2__)
    const __m128i blanks = _mm_set1_epi8(' ');
    while (n >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + n - 16));
        const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, blanks)));
        // The last byte that is not a blank is the highest bit clear in `same`.
        if (same != 0xFFFF) return n + 16 - static_cast<std::size_t>(__builtin_clz(~same & 0xFFFF));
        n -= 16;
    }
    if (n != 0 && text.size() >= 16) {
        // The rest, fewer than sixteen bytes, in one load from the start;
        // the bytes from n on are taken as blanks.
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data()));
        const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, blanks))) | (0xFFFFu << n);
        return (same & 0xFFFF) == 0xFFFF ? 0 : 32 - static_cast<std::size_t>(__builtin_clz(~same & 0xFFFF));
    }
#endif
    while (n >= 8 && detail::load(text.data() + n - 8) == detail::kOnes * ' ') n -= 8;
    while (n > 0 && text[n - 1] == ' ') --n;
    return n;
}

// Length of the run of blanks that `text` begins with: the blank fields at
// the start of a line's rest are found with it, sixteen bytes at a time
// where the machine has vectors, eight otherwise.
inline std::size_t leading_blanks(std::string_view text) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i blanks = _mm_set1_epi8(' ');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, blanks)));
        if (same != 0xFFFF) return i + static_cast<std::size_t>(__builtin_ctz(~same));
    }
#endif
    while (i + 8 <= text.size() && detail::load(text.data() + i) == detail::kOnes * ' ') i += 8;
    while (i < text.size() && text[i] == ' ') ++i;
    return i;
}

// The leading run of "0", blank and "-" of a numeric field: its length, and
// whether it holds a "0" and a "-".
struct NumericFill {
    std::size_t length;
    bool zero;
    bool minus;
};

inline NumericFill numeric_fill(std::string_view text) noexcept {
    constexpr std::uint64_t kAll = detail::kOnes * 0x80;
    NumericFill fill{0, false, false};
    std::size_t& i = fill.length;
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t w = detail::load(text.data() + i);
        const std::uint64_t zeros = detail::bytes_equal(w, '0');
        const std::uint64_t minus = detail::bytes_equal(w, '-');
        if ((zeros | detail::bytes_equal(w, ' ') | minus) != kAll) break;
        fill.zero = fill.zero || zeros != 0;
        fill.minus = fill.minus || minus != 0;
    }
    for (; i < text.size() && detail::numeric_fill(text[i]); ++i) {
        fill.zero = fill.zero || text[i] == '0';
        fill.minus = fill.minus || text[i] == '-';
    }
    return fill;
}

// The same for a `text` that can be read sixteen bytes past its end (in an
// input block, which has that slack): sixteen bytes a load.
inline NumericFill numeric_fill_padded(std::string_view text) noexcept {
#if defined(__SSE2__)
    // The zeros and minus signs of the fill are gathered as bits (kept in
    // registers, where flags set in a loop would go through memory).
    std::size_t length = 0;
    unsigned zeros_seen = 0, minus_seen = 0;
    for (std::size_t i = 0; i < text.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const auto zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('0'))));
        const auto minus = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('-'))));
        const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(' '))));
        // The bytes of the text in this load that are not fill; past the
        // text counts as not fill.
        const std::size_t valid = std::min<std::size_t>(16, text.size() - i);
        const unsigned other = ~(zeros | minus | blanks) | (0xFFFFu << valid);
        const auto k = static_cast<std::size_t>(__builtin_ctz(other | 0x10000u));
        const unsigned before = (1u << k) - 1;
        zeros_seen |= zeros & before;
        minus_seen |= minus & before;
        length = i + k;
        if (k != 16) break;
    }
    return {length, zeros_seen != 0, minus_seen != 0};
#else
    return numeric_fill(text);
#endif
}

}  // namespace marlune::compress
