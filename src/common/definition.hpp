#pragma once
// Segment definitions such as "MOA++A3:N18:A3:A3:A3'": the tag, a "+", then
// one field specifier per data element or component (a lead character, "+"
// to start a data element or ":" for a further component, a type letter and
// the maximum width in decimal digits), and a closing "'".
//
// The catalogue generator compiles every definition into a Definition at
// build time: the text together with the table of its fields. The expansion
// and the compression walk that table; nothing parses a definition while
// the program runs.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

    friend bool operator==(const Field&, const Field&) = default;
};

// A compiled definition. The first field, if any, has the lead '+', so
// every ':' field belongs to the data element begun by a '+' before it.
struct Definition {
    const char* text;               // as written, for messages, -w and tools
    std::span<const Field> fields;  // in the order of the segment
    std::uint32_t line_width;       // 3 + the sum of the widths: the uncompressed
                                    // line without its line end, when values fit

    std::string_view tag() const noexcept { return {text, 3}; }
};

inline constexpr long kMaxFieldWidth = 0xFFFF;

// Checks the NUL-terminated `text` and appends its fields to `fields`
// (columns counted from 4). Returns an empty text when the definition is
// well formed, otherwise what is wrong; `fields` then holds the fields read
// before the fault.
inline std::string compile_definition(const char* text, std::vector<Field>& fields) {
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto at = [text](const char* p) { return " at position " + std::to_string(p - text + 1); };
    if (!upper(text[0]) || !upper(text[1]) || !upper(text[2])) return "the tag must be three upper-case letters";
    if (text[3] != '+') return "the tag must be followed by '+'";
    std::uint64_t column = 4;
    const char* p = text + 4;
    bool first = true;
    while (*p == '+' || *p == ':') {
        if (first && *p != '+') return "the first field must begin a data element with '+'";
        first = false;
        const FieldSpecifier f = parse_field(p);
        if (f.type != 'A' && f.type != 'a' && f.type != 'N' && f.type != 'n') {
            if (f.type == '\0') return "field without a type letter at the end";
            return std::string("unknown type letter '") + f.type + "'" + at(p + 1);
        }
        if (f.digits == 0) return "field without a width" + at(p + 2);
        if (p[2] == '0') return (f.width == 0 ? "zero width" : "width with a leading zero") + at(p + 2);
        if (f.width > kMaxFieldWidth) return "width above " + std::to_string(kMaxFieldWidth) + at(p + 2);
        if (f.next != p + 2 + f.digits) return "unexpected character after the width" + at(p + 2 + f.digits);
        if (column > 0xFFFF'FFFFu - static_cast<std::uint64_t>(f.width)) return "line too wide" + at(p);
        fields.push_back({*p, f.type, static_cast<std::uint16_t>(f.width), static_cast<std::uint32_t>(column)});
        column += static_cast<std::uint64_t>(f.width);
        p = f.next;
    }
    if (*p != '\'') return *p == '\0' ? "missing the closing apostrophe" : "expected '+', ':' or \"'\"" + at(p);
    if (p[1] != '\0') return "text after the closing apostrophe" + at(p + 1);
    return {};
}

}  // namespace marlune
