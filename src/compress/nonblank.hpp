#pragma once
// The bytes of an uncompressed line that are not blanks, a bit for each,
// so that the line writer finds its values and their trailing fill with a
// few word operations and passes over the blank fields between them.
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace marlune::compress {

namespace detail {

// The blanks and line feeds of the 64 bytes at `p`, a bit each.
struct Word {
    std::uint64_t blanks;
    std::uint64_t feeds;
};

inline Word word_bytes(const char* p) noexcept {
    Word w{0, 0};
    for (int k = 0; k < 64; ++k) {
        w.blanks |= static_cast<std::uint64_t>(p[k] == ' ') << k;
        w.feeds |= static_cast<std::uint64_t>(p[k] == '\n') << k;
    }
    return w;
}

#if defined(__SSE2__)
// Sixteen bytes a load.
inline Word word_vectors16(const char* p) noexcept {
    const __m128i blank = _mm_set1_epi8(' '), feed = _mm_set1_epi8('\n');
    auto lane = [p](int k, __m128i against) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, against)))} << (16 * k);
    };
    return {lane(0, blank) | lane(1, blank) | lane(2, blank) | lane(3, blank),
            lane(0, feed) | lane(1, feed) | lane(2, feed) | lane(3, feed)};
}
#endif

}  // namespace detail

class NonBlank {
public:
    // Lines up to this width are marked; wider ones take the general way.
    static constexpr std::size_t WIDEST = 8192;
    // Bytes past the width that mark() may read.
    static constexpr std::size_t READS_PAST = 63;

    // How the bytes are compared: one at a time, sixteen, thirty-two or
    // sixty-four where the processor has the vectors for it.
    enum class Scan { bytes, vectors16, vectors32, vectors64 };
    static bool available(Scan scan) noexcept;
    // The fastest scan the processor has.
    static Scan best() noexcept;

    // Marks text[0, width) (width <= WIDEST; the text can be read
    // READS_PAST bytes past its end) and returns whether a line feed stands
    // among those bytes. Until the next mark(), next() and end_before()
    // answer for them.
    bool mark(const char* text, std::size_t width) noexcept { return best_marker_(text, width, bits_); }
    // The same through a given scan, which must be available.
    bool mark(const char* text, std::size_t width, Scan scan) noexcept;

    // The first byte at or after `p` (p <= width) that is not a blank; a
    // position at or past the width when there is none.
    std::size_t next(std::size_t p) const noexcept {
        std::size_t w = p / 64;
        std::uint64_t word = bits_[w] & (~std::uint64_t{0} << (p % 64));
        while (word == 0) word = bits_[++w];
        return 64 * w + static_cast<std::size_t>(__builtin_ctzll(word));
    }
    // One past the last byte before `end` that is not a blank, where such
    // a byte is known to stand before it.
    std::size_t end_before(std::size_t end) const noexcept {
        std::size_t w = (end - 1) / 64;
        std::uint64_t word = bits_[w] & (~std::uint64_t{0} >> (63 - (end - 1) % 64));
        while (word == 0) word = bits_[--w];
        return 64 * w + 64 - static_cast<std::size_t>(__builtin_clzll(word));
    }

    // How a scan marks a line, into the words it is given.
    using Marker = bool (*)(const char* text, std::size_t width, std::uint64_t* bits) noexcept;

private:
    // The fastest scan's.
    static const Marker best_marker_;

    // Bit k of word k / 64 for byte k; after the last word, a word whose
    // lowest bit ends every search.
    std::uint64_t bits_[WIDEST / 64 + 1];
};

// The same for a line of fewer than 64 bytes, whose marks fit in one word:
// the line writer keeps it in a register, so that its searches are a mask
// and a bit scan, and it is marked in place with no call.
class ShortNonBlank {
public:
    static constexpr std::size_t WIDEST = 63;
    // Sixty-four bytes are read from the start of the line, whatever its
    // width: up to this many past its end.
    static constexpr std::size_t READS_PAST = 64;

    bool mark(const char* text, std::size_t width) noexcept {
#if defined(__SSE2__)
        const detail::Word w = detail::word_vectors16(text);
#else
        const detail::Word w = detail::word_bytes(text);
#endif
        const std::uint64_t blanks = w.blanks, feeds = w.feeds;
        const std::uint64_t end = std::uint64_t{1} << width;
        // The bit after the last byte ends every search.
        bits_ = (~blanks & (end - 1)) | end;
        return (feeds & (end - 1)) != 0;
    }
    std::size_t next(std::size_t p) const noexcept {
        return static_cast<std::size_t>(__builtin_ctzll(bits_ & (~std::uint64_t{0} << p)));
    }
    std::size_t end_before(std::size_t end) const noexcept {
        return 64 - static_cast<std::size_t>(__builtin_clzll(bits_ & ((std::uint64_t{1} << end) - 1)));
    }

private:
    std::uint64_t bits_ = 0;
};

}  // namespace marlune::compress
