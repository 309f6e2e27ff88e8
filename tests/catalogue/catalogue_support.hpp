#pragma once
// Helpers shared by the catalogue tests.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "directory/catalogue.hpp"

namespace marlune::test {

// Tag code of the first three characters of a definition.
inline std::uint16_t code_of(std::string_view def) {
    return static_cast<std::uint16_t>((def[0] - 'A') + 32 * (def[1] - 'A') + 1024 * (def[2] - 'A'));
}

// The texts of the rows of one table, in table order.
inline std::vector<const char*> texts(const directory::CatalogueTable& t) {
    std::vector<const char*> v;
    for (const Definition& row : t.rows) v.push_back(row.text);
    return v;
}

// The text of the definition that a table holds for `code`, nullptr for none.
inline const char* lookup_text(const directory::CatalogueTable& t, std::uint16_t code) {
    const Definition* def = t.lookup(code);
    return def != nullptr ? def->text : nullptr;
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
    for (const char* row : texts(t)) m.emplace(std::string(row, 3), row);
    return m;
}

// Number of tags that two tables define with the same text.
inline int same_text_rows(const directory::CatalogueTable& a, const directory::CatalogueTable& b) {
    int n = 0;
    for (const char* row : texts(a)) {
        const char* other = lookup_text(b, code_of(row));
        if (other != nullptr && std::string_view(other) == row) ++n;
    }
    return n;
}

}  // namespace marlune::test
