#pragma once
// The bytes of an uncompressed line that are not blanks, a bit for each,
// so that the line writer finds its values and their trailing fill with a
// few word operations and passes over the blank fields between them.
#include <cstddef>
#include <cstdint>

namespace marlune::compress {

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

}  // namespace marlune::compress
