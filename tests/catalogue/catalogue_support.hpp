#pragma once
// Helpers shared by the catalogue tests.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "directory/catalogue.hpp"

namespace marlune::test {

// Tag code of the first three characters of a definition.
inline std::uint16_t code_of(std::string_view def) {
    return static_cast<std::uint16_t>((def[0] - 'A') + 32 * (def[1] - 'A') + 1024 * (def[2] - 'A'));
}

inline const directory::CatalogueTable* find_table(std::string_view name) {
    for (const auto& t : directory::catalogue_tables()) {
        if (name == t.name) return &t;
    }
    return nullptr;
}

// tag -> definition of one table.
inline std::map<std::string, std::string_view> rows_by_tag(const directory::CatalogueTable& t) {
    std::map<std::string, std::string_view> m;
    for (const char* row : t.rows) m.emplace(std::string(row, 3), row);
    return m;
}

// Number of tags that two tables define with the same text.
inline int same_text_rows(const directory::CatalogueTable& a, const directory::CatalogueTable& b) {
    int n = 0;
    for (const char* row : a.rows) {
        const char* other = b.lookup(code_of(row));
        if (other != nullptr && std::string_view(other) == row) ++n;
    }
    return n;
}

}  // namespace marlune::test
