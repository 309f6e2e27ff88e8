#pragma once
// The separator set of an interchange: data element separator, component
// separator, segment terminator and release character, always in that order.
// Input bytes are compared with them as signed character values.

#include <array>

namespace marlune {

struct Separators {
    signed char element;
    signed char component;
    signed char terminator;
    signed char release;  // 0: no release character (level B)

    static constexpr Separators level_a() noexcept { return {'+', ':', '\'', '?'}; }
    static constexpr Separators level_b() noexcept { return {0x1D, 0x1F, 0x1C, 0}; }

    bool operator==(const Separators&) const = default;

    // One of the three separators (not the release character).
    bool separates(int c) const noexcept { return c == element || c == component || c == terminator; }
};

// Byte classes for loops that copy runs of ordinary bytes: true for the
// separators, the release character and one more byte that needs a closer
// look (the line ends, which the input counts and the expansion passes
// over, when values are read; the NUL, which writes nothing, when they are
// written), built once for the separator set in force.
class StopBytes {
public:
    explicit StopBytes(char extra, char extra2 = '\0') noexcept : extra_(extra), extra2_(extra2) {}

    const std::array<bool, 256>& of(Separators sep) noexcept {
        if (!built_ || sep != for_) {
            stop_.fill(false);
            for (const signed char c : {sep.element, sep.component, sep.terminator, sep.release, static_cast<signed char>(extra_),
                                        static_cast<signed char>(extra2_)})
                stop_[static_cast<unsigned char>(c)] = true;
            for_ = sep;
            built_ = true;
        }
        return stop_;
    }

private:
    std::array<bool, 256> stop_{};
    Separators for_{};
    char extra_;
    char extra2_;
    bool built_ = false;
};

}  // namespace marlune
