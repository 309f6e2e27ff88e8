#pragma once
// Field specifiers of a segment definition such as "MOA++A3:N18:A3'": a lead
// character ("+" starts a data element, ":" a further component), a type
// letter and the maximum width in decimal digits.

namespace marlune {

struct FieldSpecifier {
    char type;         // 'A', 'a', 'N' or 'n'; 0 at the end of a malformed text
    long width;        // the digits after the type letter
    const char* next;  // the next lead character, the closing "'" or the end
};

// Reads the specifier whose lead character is at `lead`.
inline FieldSpecifier parse_field(const char* lead) noexcept {
    FieldSpecifier f{lead[1], 0, lead + 1};
    if (f.type == '\0') return f;
    const char* p = lead + 2;
    while (*p >= '0' && *p <= '9') f.width = f.width * 10 + (*p++ - '0');
    while (*p && *p != '\'' && *p != '+' && *p != ':') ++p;
    f.next = p;
    return f;
}

}  // namespace marlune
