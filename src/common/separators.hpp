#pragma once
// The separator set of an interchange: data element separator, component
// separator, segment terminator and release character, always in that order.
// Input bytes are compared with them as signed character values.

namespace marlune {

struct Separators {
    signed char element;
    signed char component;
    signed char terminator;
    signed char release;  // 0: no release character (level B)

    static constexpr Separators level_a() noexcept { return {'+', ':', '\'', '?'}; }
    static constexpr Separators level_b() noexcept { return {0x1D, 0x1F, 0x1C, 0}; }
};

}  // namespace marlune
