#include "compress/nonblank.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define MARLUNE_X86_VECTORS 1
#else
#define MARLUNE_X86_VECTORS 0
#endif

namespace marlune::compress {

namespace {

using detail::Word;
using detail::word_bytes;
#if defined(__SSE2__)
using detail::word_vectors16;
#endif

#if MARLUNE_X86_VECTORS
[[gnu::target("avx2")]] inline std::uint64_t bits32(__m256i equal) noexcept {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(equal));
}

[[gnu::target("avx2")]] inline Word word_vectors32(const char* p) noexcept {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const __m256i blank = _mm256_set1_epi8(' '), feed = _mm256_set1_epi8('\n');
    return {bits32(_mm256_cmpeq_epi8(low, blank)) | bits32(_mm256_cmpeq_epi8(high, blank)) << 32,
            bits32(_mm256_cmpeq_epi8(low, feed)) | bits32(_mm256_cmpeq_epi8(high, feed)) << 32};
}
#endif

#if MARLUNE_X86_VECTORS
[[gnu::target("avx512bw")]] inline Word word_vectors64(const char* p) noexcept {
    const __m512i bytes = _mm512_loadu_si512(p);
    return {_mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(' ')), _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\n'))};
}
#endif

// The marks of a line, a word at a time through `scan`; the last word holds
// bytes past the width, which count for nothing. Returns whether a line
// feed stands among the bytes.
template <Word (*scan)(const char*) noexcept>
[[gnu::always_inline]] inline bool mark_words(const char* text, std::size_t width, std::uint64_t* bits) noexcept {
    const std::size_t words = (width + 63) / 64;
    std::uint64_t feeds = 0;
    std::size_t w = 0;
    for (; w + 1 < words; ++w) {
        const Word word = scan(text + 64 * w);
        bits[w] = ~word.blanks;
        feeds |= word.feeds;
    }
    if (words != 0) {
        const Word word = scan(text + 64 * w);
        const std::uint64_t valid = ~std::uint64_t{0} >> (64 * words - width);
        bits[w] = ~word.blanks & valid;
        feeds |= word.feeds & valid;
    }
    bits[words] = 1;
    return feeds != 0;
}

bool mark_bytes(const char* text, std::size_t width, std::uint64_t* bits) noexcept {
    return mark_words<word_bytes>(text, width, bits);
}

#if defined(__SSE2__)
bool mark_vectors16(const char* text, std::size_t width, std::uint64_t* bits) noexcept {
    return mark_words<word_vectors16>(text, width, bits);
}
#endif

#if MARLUNE_X86_VECTORS
[[gnu::target("avx512bw")]] bool mark_vectors64(const char* text, std::size_t width, std::uint64_t* bits) noexcept {
    return mark_words<word_vectors64>(text, width, bits);
}

[[gnu::target("avx2")]] bool mark_vectors32(const char* text, std::size_t width, std::uint64_t* bits) noexcept {
    return mark_words<word_vectors32>(text, width, bits);
}
#endif

NonBlank::Marker marker(NonBlank::Scan scan) noexcept {
    switch (scan) {
#if MARLUNE_X86_VECTORS
        case NonBlank::Scan::vectors64:
            return mark_vectors64;
        case NonBlank::Scan::vectors32:
            return mark_vectors32;
#endif
#if defined(__SSE2__)
        case NonBlank::Scan::vectors16:
            return mark_vectors16;
#endif
        default:
            return mark_bytes;
    }
}

}  // namespace

// Chosen once, when the program starts.
const NonBlank::Marker NonBlank::best_marker_ = marker(NonBlank::best());

bool NonBlank::available(Scan scan) noexcept {
    switch (scan) {
        case Scan::bytes:
            return true;
        case Scan::vectors16:
#if defined(__SSE2__)
            return true;
#else
            return false;
#endif
        case Scan::vectors32:
        case Scan::vectors64:
            break;
    }
#if MARLUNE_X86_VECTORS
    // The wider vectors, where the processor has them.
    __builtin_cpu_init();
    return scan == Scan::vectors32 ? __builtin_cpu_supports("avx2") != 0 : __builtin_cpu_supports("avx512bw") != 0;
#else
    return false;
#endif
}

NonBlank::Scan NonBlank::best() noexcept {
    static const Scan scan = available(Scan::vectors64)   ? Scan::vectors64
                             : available(Scan::vectors32) ? Scan::vectors32
                             : available(Scan::vectors16) ? Scan::vectors16
                                                          : Scan::bytes;
    return scan;
}


bool NonBlank::mark(const char* text, std::size_t width, Scan scan) noexcept {
    return marker(scan)(text, width, bits_);
}

}  // namespace marlune::compress
