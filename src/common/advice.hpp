#pragma once
// The service string advice: "UNA" at the start of a segment and six bytes
// that name the service characters of the interchange that follows
// (component separator, data element separator, decimal mark, release
// character, a reserved byte, segment terminator).
#include <optional>
#include <string>
#include <string_view>

#include "common/separators.hpp"

namespace marlune {

struct ServiceAdvice {
    Separators sep;  // release 0 when the advice names none (a blank)
    char decimal;
    char reserved;

    // Number of bytes after "UNA".
    static constexpr std::size_t LENGTH = 6;

    // The six bytes read as an advice, or nothing when they are not one: all
    // six present, a decimal mark "." or ",", three different separators
    // none of which is a letter, a digit or a blank, and a release character
    // that is a blank or differs from the three separators.
    static std::optional<ServiceAdvice> read(std::string_view six) noexcept {
        if (six.size() < LENGTH) return std::nullopt;
        const auto component = static_cast<signed char>(six[0]);
        const auto element = static_cast<signed char>(six[1]);
        const char decimal = six[2];
        const auto release = static_cast<signed char>(six[3]);
        const auto terminator = static_cast<signed char>(six[5]);
        if (decimal != '.' && decimal != ',') return std::nullopt;
        for (const signed char s : {component, element, terminator}) {
            const bool letter = (s >= 'A' && s <= 'Z') || (s >= 'a' && s <= 'z');
            const bool digit = s >= '0' && s <= '9';
            if (letter || digit || s == ' ') return std::nullopt;
        }
        if (component == element || component == terminator || element == terminator) return std::nullopt;
        if (release != ' ' && (release == component || release == element || release == terminator))
            return std::nullopt;
        return ServiceAdvice{{element, component, terminator, release == ' ' ? static_cast<signed char>(0) : release},
                             decimal, six[4]};
    }

    // The complete advice ("UNA" and six bytes) that an output of level A
    // or level B carries.
    static std::string level_a(char decimal = '.', char reserved = ' ') {
        return std::string("UNA:+") + decimal + '?' + reserved + '\'';
    }
    static std::string level_b(char decimal = '.', char reserved = ' ') {
        return std::string("UNA\x1F\x1D") + decimal + ' ' + reserved + '\x1C';
    }
};

}  // namespace marlune
