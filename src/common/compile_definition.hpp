#pragma once
// Compiling a definition text into its table of fields, with every check of
// the notation. The catalogue generator compiles each row with it at build
// time; tests compile their own texts with it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/definition.hpp"

namespace marlune {

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
    const std::size_t first_field = fields.size();
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
    // The tails, from the last field back: a ':' field joins the components
    // before the first '+'; a '+' field becomes the first '+', its own
    // components those counted so far, and every later '+' one place further.
    std::uint32_t components = 0, reach = 0;
    for (std::size_t i = fields.size(); i-- > first_field;) {
        if (fields[i].lead == ':') {
            ++components;
        } else {
            reach = std::max(1 + components, reach == 0 ? 0 : reach + 1);
            components = 0;
        }
        fields[i].tail_components = static_cast<std::uint16_t>(std::min<std::uint32_t>(components, 0xFFFF));
        fields[i].tail_reach = static_cast<std::uint16_t>(std::min<std::uint32_t>(reach, 0xFFFF));
    }
    return {};
}

}  // namespace marlune
