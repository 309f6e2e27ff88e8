#pragma once
// The record layout of an uncompressed line: where each field of a segment
// definition sits in the line that the expansion writes for it, with the UN
// names of the fields.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {
struct Definition;
}
namespace marlune::directory {
struct Selection;
}

namespace marlune::layout {

struct Field {
    int number = 0;   // 1 for the first field after the tag
    long first = 0;   // first column, 1-based (the tag is columns 1-3)
    long last = 0;    // last column
    long width = 0;
    char type = 'A';  // 'A', 'N' or 'n' as in the definition
    std::string composite;  // UN composite identifier; empty for a simple data element
    int component = 0;      // position in the composite; 0 for none
    std::string element;    // UN data element identifier; empty when unknown
    std::string name;       // UN data element name
};

struct SegmentLayout {
    std::string tag;         // "MOA"
    std::string name;        // "MONETARY AMOUNT"; empty when unknown
    std::string table;       // the table the lookup found the definition in
    std::string names_from;  // the directory the names come from; empty: none
    std::string definition;  // the definition text
    long width = 0;          // line width: 3 + the widths of the fields
    std::vector<Field> fields;
};

// The layout of one definition found in `table`; the names are attached
// when the names of that row cover every field.
SegmentLayout make_layout(std::string_view table, const Definition& definition);

// The layout of `tag` (three letters, either case) as the lookup from the
// run's directory resolves it; nothing when it resolves nowhere.
std::optional<SegmentLayout> layout_of(const directory::Selection& dir, std::string_view tag);

// Every tag the lookup resolves from the run's directory (that directory,
// the older ones of its chain, the default table), sorted.
std::vector<std::string> resolvable_tags(const directory::Selection& dir);

}  // namespace marlune::layout
