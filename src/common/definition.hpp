#pragma once
// Segment definitions such as "MOA++A3:N18:A3:A3:A3'": the tag, a "+", then
// one field specifier per data element or component (a lead character, "+"
// to start a data element or ":" for a further component, a type letter and
// the maximum width in decimal digits), and a closing "'".
//
// The catalogue generator compiles every definition into a Definition at
// build time (common/compile_definition.hpp): the text together with the
// table of its fields. The expansion and the compression walk that table;
// nothing parses a definition while the program runs.
#include <cstdint>
#include <span>
#include <string_view>

namespace marlune {

struct FieldSpecifier {
    char type;         // 'A', 'a', 'N' or 'n'; 0 at the end of a malformed text
    long width;        // the digits after the type letter (stops growing past a million)
    int digits;        // how many digits there were
    const char* next;  // the next lead character, the closing "'" or the end
};

// Reads the specifier whose lead character is at `lead`. The one reader of
// the notation: everything that needs the fields of a text goes through it.
inline FieldSpecifier parse_field(const char* lead) noexcept {
    FieldSpecifier f{lead[1], 0, 0, lead + 1};
    if (f.type == '\0') return f;
    const char* p = lead + 2;
    for (; *p >= '0' && *p <= '9'; ++p, ++f.digits) {
        if (f.width <= 1'000'000) f.width = f.width * 10 + (*p - '0');
    }
    while (*p && *p != '\'' && *p != '+' && *p != ':') ++p;
    f.next = p;
    return f;
}

// One field of a compiled definition.
struct Field {
    char lead;             // '+' starts a data element, ':' is a further component
    char type;             // 'A', 'a', 'N' or 'n'
    std::uint16_t width;   // maximum width, at least 1
    std::uint32_t column;  // first column in the uncompressed line, 1-based (the
                           // tag is columns 1 to 3); holds while earlier values fit
    // The separators of this field and those after it, for the compression
    // of a line whose rest is blank (held separators followed in one step
    // rather than one each): the ':' fields before the first '+' field among
    // them (all of them when there is none), and the greatest k + c over the
    // k-th '+' field among them followed by c ':' fields (0 when there is no
    // '+' field). Both stop growing at 65,535.
    std::uint16_t tail_components = 0;
    std::uint16_t tail_reach = 0;

    friend bool operator==(const Field&, const Field&) = default;
};

// A compiled definition. The first field, if any, has the lead '+', so
// every ':' field belongs to the data element begun by a '+' before it.
struct Definition {
    const char* text;               // as written: the tag, messages, checks, tools
    std::span<const Field> fields;  // in the order of the segment
    std::uint32_t line_width;       // 3 + the sum of the widths: the uncompressed
                                    // line without its line end, when values fit

    std::string_view tag() const noexcept { return {text, 3}; }
};

}  // namespace marlune
