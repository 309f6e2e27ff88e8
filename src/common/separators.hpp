#pragma once
// The separator set of an interchange: data element separator, component
// separator, segment terminator and release character, always in that order.
// Input bytes are compared with them as signed character values.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace marlune {

struct Separators {
    signed char element;
    signed char component;
    signed char terminator;
    signed char release;  // 0: no release character (level B)

    static constexpr Separators level_a() noexcept { return {'+', ':', '\'', '?'}; }
    static constexpr Separators level_b() noexcept { return {0x1D, 0x1F, 0x1C, 0}; }

    // One comparison of the four bytes.
    bool operator==(const Separators& other) const noexcept { return std::memcmp(this, &other, sizeof other) == 0; }

    // One of the three separators (not the release character).
    bool separates(int c) const noexcept { return c == element || c == component || c == terminator; }

    // A carriage return or line feed that is not a separator: layout of a
    // compressed interchange (wrapped lines), never data unless released.
    bool layout(int c) const noexcept { return (c == '\n' || c == '\r') && !separates(c); }
};
static_assert(sizeof(Separators) == 4, "compared as four bytes");

// Byte classes for loops that copy runs of ordinary bytes: true for the
// separators, the release character and `Extras` more bytes that need a
// closer look (the line ends, which the input counts and the expansion
// passes over, when values are read; the NUL, which writes nothing, when
// they are written), built once for the separator set in force.
template <std::size_t Extras>
class StopBytes {
    static_assert(Extras == 1 || Extras == 2, "one or two extra bytes");

public:
    template <class... Extra>
    explicit StopBytes(Extra... extra) noexcept : extra_{static_cast<signed char>(extra)...} {
        static_assert(sizeof...(Extra) == Extras, "one character for every extra byte");
    }

    const std::array<bool, 256>& of(Separators sep) noexcept {
        if (!built_ || sep != for_) {
            std::array<signed char, COUNT> bytes{sep.element, sep.component, sep.terminator, sep.release};
            std::copy(extra_.begin(), extra_.end(), bytes.begin() + 4);
            stop_.fill(false);
            for (const signed char c : bytes) stop_[static_cast<unsigned char>(c)] = true;
#if defined(__SSE2__)
            for (std::size_t k = 0; k < COUNT; ++k) vector_[k] = _mm_set1_epi8(bytes[k]);
#endif
            letters_ = true;
            for (int c = 'A'; c <= 'Z'; ++c) letters_ = letters_ && !stop_[static_cast<unsigned char>(c)];
            for_ = sep;
            built_ = true;
        }
        return stop_;
    }

    // Whether `c` is one of the bytes, for the separator set of the last of().
    bool stops(char c) const noexcept { return stop_[static_cast<unsigned char>(c)]; }
    // Whether none of the upper-case letters A to Z is one of the bytes.
    bool letters_pass() const noexcept { return letters_; }

    // Length of the run of ordinary bytes that `text` begins with, for the
    // separator set of the last of(): sixteen bytes at a time where the
    // machine has vectors, the rest through the table.
    std::size_t run_length(std::string_view text) const noexcept {
        std::size_t i = 0;
#if defined(__SSE2__)
        for (; i + 16 <= text.size(); i += 16) {
            if (const unsigned mask = stops_in(text.data() + i); mask != 0) {
                return i + static_cast<std::size_t>(__builtin_ctz(mask));
            }
        }
#endif
        while (i < text.size() && !stop_[static_cast<unsigned char>(text[i])]) ++i;
        return i;
    }

    // The same for a `text` that can be read sixteen bytes past its end (in
    // an input block, which has that slack): short runs cost one load.
    std::size_t run_length_padded(std::string_view text) const noexcept {
#if defined(__SSE2__)
        for (std::size_t i = 0; i < text.size(); i += 16) {
            if (const unsigned mask = stops_in(text.data() + i); mask != 0) {
                return std::min(text.size(), i + static_cast<std::size_t>(__builtin_ctz(mask)));
            }
        }
        return text.size();
#else
        return run_length(text);
#endif
    }

    // A bit for each of the sixteen bytes at `p` that is a stop byte (bit k
    // for p[k]), for the separator set of the last of(); all sixteen are
    // read.
    unsigned stops16(const char* p) const noexcept {
#if defined(__SSE2__)
        return stops_in(p);
#else
        unsigned mask = 0;
        for (unsigned k = 0; k < 16; ++k) mask |= unsigned{stop_[static_cast<unsigned char>(p[k])]} << k;
        return mask;
#endif
    }

private:
    static constexpr std::size_t COUNT = 4 + Extras;

#if defined(__SSE2__)
    unsigned stops_in(const char* p) const noexcept {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, vector_[0]), _mm_cmpeq_epi8(chunk, vector_[1])),
                                   _mm_or_si128(_mm_cmpeq_epi8(chunk, vector_[2]), _mm_cmpeq_epi8(chunk, vector_[3])));
        if constexpr (Extras == 1) {
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(chunk, vector_[4]));
        } else {
            hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(chunk, vector_[4]), _mm_cmpeq_epi8(chunk, vector_[5])));
        }
        return static_cast<unsigned>(_mm_movemask_epi8(hit));
    }

    __m128i vector_[COUNT]{};  // each stop byte in every lane
#endif
    std::array<bool, 256> stop_{};
    std::array<signed char, Extras> extra_;
    Separators for_{};
    bool letters_ = true;
    bool built_ = false;
};

}  // namespace marlune
