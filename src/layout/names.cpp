#include "layout/names.hpp"

#include <charconv>

namespace marlune::layout {

namespace {

// Splits `text` at every `sep`.
std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// Takes a leading repeat count "N*" off `item`; 1 when there is none.
std::optional<int> take_count(std::string_view& item) {
    const std::size_t star = item.find('*');
    if (star == std::string_view::npos || star == 0) return 1;
    int count = 0;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + star, count);
    if (ec != std::errc{} || end != item.data() + star) return 1;  // a '*' inside a name
    if (count < 1) return std::nullopt;
    item.remove_prefix(star + 1);
    return count;
}

// "5004 Monetary amount" -> element and name.
FieldName element(std::string_view item, std::string_view composite, int position) {
    const std::size_t blank = item.find(' ');
    FieldName f;
    f.composite = composite;
    f.position = position;
    f.element = item.substr(0, blank);
    if (blank != std::string_view::npos) f.name = item.substr(blank + 1);
    return f;
}

// Appends the fields of one entry, `count` times.
bool add_entry(std::string_view entry, std::vector<FieldName>& out) {
    const auto count = take_count(entry);
    if (!count) return false;
    const std::size_t open = entry.find('[');
    for (int n = 0; n < *count; ++n) {
        if (open == std::string_view::npos) {
            out.push_back(element(entry, {}, 0));
            continue;
        }
        if (entry.back() != ']') return false;
        const std::string_view composite = entry.substr(0, open);
        int position = 0;
        for (std::string_view component : split(entry.substr(open + 1, entry.size() - open - 2), ';')) {
            const auto repeat = take_count(component);
            if (!repeat) return false;
            for (int r = 0; r < *repeat; ++r) out.push_back(element(component, composite, ++position));
        }
    }
    return true;
}

}  // namespace

std::optional<RowNames> parse_names_line(std::string_view line) {
    const auto parts = split(line, '\t');
    if (parts.size() < 3 || parts[0].size() != 3) return std::nullopt;
    RowNames row;
    row.source = parts[1];
    row.segment = parts[2];
    for (std::size_t i = 3; i < parts.size(); ++i) {
        if (!add_entry(parts[i], row.fields)) return std::nullopt;
    }
    return row;
}

std::string NamesText::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out.append(line(i)).push_back('\n');
    return out;
}

std::optional<RowNames> row_names(std::string_view table, std::string_view tag) {
    for (const NamesText& t : names_texts()) {
        if (table != t.table) continue;
        for (std::size_t i = 0; i < t.lines.size(); ++i) {
            // Rows start a line with their tag and a tab.
            const std::string_view line = t.line(i);
            if (line.size() < 4 || line.substr(0, 3) != tag || line[3] != '\t') continue;
            auto row = parse_names_line(line);
            if (row && row->source.empty()) row->source = t.table;
            return row;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace marlune::layout
