#pragma once
// The UN names of the fields of every catalogue row: for each table of the
// catalogue a text of one line per row (written by tools/transcribe into
// data/names and compiled into the layout library only):
//
//   TAG <tab> names from <tab> segment name <tab> entry <tab> entry ...
//
// with one entry per data element of the UN segment, in segment order:
// "5004 Monetary amount" for a simple data element, "C516[5025 Name;5004
// Name]" for a composite, and a count such as "100*" in front of an entry or
// a component that repeats. A row whose fields have no known names reads
// "TAG <tab> -".
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace marlune::layout {

// The names of one field.
struct FieldName {
    std::string composite;  // "C516"; empty for a simple data element
    int position = 0;       // position in the composite (1 ...); 0 for none
    std::string element;    // "5004"
    std::string name;       // "Monetary amount"
};

// The names of one row.
struct RowNames {
    std::string source;   // the directory whose UN files give the names
    std::string segment;  // "MONETARY AMOUNT"
    std::vector<FieldName> fields;  // one per field specifier, in order
};

// One embedded names text: the table name as the catalogue names it and
// the lines of its file. Lines are shared across tables: a row line whose
// names come from the table itself has an empty source column.
struct NamesText {
    const char* table;
    const char* const* pool;              // every line of every text
    std::span<const std::uint16_t> lines;  // this text's lines, in order

    std::string_view line(std::size_t i) const noexcept { return pool[lines[i]]; }
    // The text as its file holds it (the source column left empty as above).
    std::string text() const;
};
std::span<const NamesText> names_texts() noexcept;

// Reads one line of a names text; nothing for a row without names or a
// line that is not well formed.
std::optional<RowNames> parse_names_line(std::string_view line);

// The names of the row of `tag` in `table` ("D.96A", "default", ...);
// nothing when the table has no names for it.
std::optional<RowNames> row_names(std::string_view table, std::string_view tag);

}  // namespace marlune::layout
