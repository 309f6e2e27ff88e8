#include "layout/layout.hpp"

#include <algorithm>
#include <set>

#include "common/definition.hpp"
#include "directory/catalogue.hpp"
#include "directory/lookup.hpp"
#include "layout/names.hpp"

namespace marlune::layout {

SegmentLayout make_layout(std::string_view table, const Definition& definition) {
    SegmentLayout s;
    s.tag = definition.tag();
    s.table = table;
    s.definition = definition.text;
    s.width = definition.line_width;

    // The compiled fields of the definition, the ones both conversions walk.
    int number = 0;
    for (const marlune::Field& compiled : definition.fields) {
        Field f;
        f.number = ++number;
        f.first = compiled.column;
        f.width = compiled.width;
        f.last = compiled.column + compiled.width - 1;
        f.type = compiled.type;
        s.fields.push_back(std::move(f));
    }

    if (auto names = row_names(table, s.tag); names && names->fields.size() == s.fields.size()) {
        s.name = names->segment;
        s.names_from = names->source;
        for (std::size_t i = 0; i < s.fields.size(); ++i) {
            FieldName& n = names->fields[i];
            s.fields[i].composite = std::move(n.composite);
            s.fields[i].component = n.position;
            s.fields[i].element = std::move(n.element);
            s.fields[i].name = std::move(n.name);
        }
    }
    return s;
}

std::optional<SegmentLayout> layout_of(const directory::Selection& dir, std::string_view tag) {
    if (tag.size() != 3) return std::nullopt;
    const char window[4] = {tag[0], tag[1], tag[2], '\0'};
    const auto code = directory::tag_code(window);
    if (!code) return std::nullopt;
    const directory::Resolution r = directory::resolve_in(dir, dir._DIREC, *code);
    if (r.definition == nullptr) return std::nullopt;
    return make_layout(r.table, *r.definition);
}

std::vector<std::string> resolvable_tags(const directory::Selection& dir) {
    // Every tag of every table, kept when the lookup resolves it from here.
    std::set<std::string> tags;
    for (const directory::CatalogueTable& t : directory::catalogue_tables()) {
        for (const Definition& row : t.rows) tags.emplace(row.tag());
    }
    std::vector<std::string> out;
    for (const std::string& tag : tags) {
        const auto code = directory::tag_code(tag.c_str());
        if (code && directory::resolve(dir, dir._DIREC, *code)) out.push_back(tag);
    }
    return out;
}

}  // namespace marlune::layout
