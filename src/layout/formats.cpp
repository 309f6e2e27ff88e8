#include "layout/formats.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>

#include "common/fatal.hpp"

namespace marlune::layout {

namespace {

std::string heading_line(const Heading& h) {
    if (h.file.empty())
        return "layout of the uncompressed form, directory " + h.directory + (h.interactive ? " with -I" : "");
    std::string line = "records that marlune " + h.command;
    if (h.interactive) line += " -I";
    if (!h.directory.empty()) line += " -D " + h.directory;
    return line + " writes for " + h.file;
}

std::string component_text(const Field& f) { return f.component ? std::to_string(f.component) : ""; }

// ---------------------------------------------------------------- text

void text_segment(std::string& out, const SegmentLayout& s) {
    out += s.tag;
    out += "  ";
    out += s.name.empty() ? "(no names)" : s.name;
    out += "\n  directory " + s.table;
    if (!s.names_from.empty() && s.names_from != s.table) out += ", names of " + s.names_from;
    out += format(", line width %ld (tag in columns 1-3)\n", s.width);
    out += "  definition " + s.definition + "\n";

    using Row = std::array<std::string, 9>;
    std::vector<Row> rows{{"field", "first", "last", "width", "type", "composite", "component", "element", "name"}};
    for (const Field& f : s.fields) {
        rows.push_back({std::to_string(f.number), std::to_string(f.first), std::to_string(f.last),
                        std::to_string(f.width), std::string(1, f.type), f.composite, component_text(f), f.element,
                        f.name});
    }
    std::array<std::size_t, 9> w{};
    for (const Row& r : rows)
        for (std::size_t i = 0; i < r.size(); ++i) w[i] = std::max(w[i], r[i].size());
    // Numbers right-aligned, texts left-aligned; the last column unpadded.
    constexpr std::array<bool, 9> right{true, true, true, true, false, false, true, false, false};
    for (const Row& r : rows) {
        std::string line = " ";
        for (std::size_t i = 0; i < r.size(); ++i) {
            line += ' ';
            const std::string pad(w[i] - r[i].size(), ' ');
            if (i + 1 == r.size())
                line += r[i];
            else
                line += right[i] ? pad + r[i] : r[i] + pad;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
}

// ---------------------------------------------------------------- CSV

std::string csv_cell(const std::string& v) {
    if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
    std::string q = "\"";
    for (char c : v) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

// ---------------------------------------------------------------- JSON

std::string json_string(std::string_view v) {
    std::string out = "\"";
    for (unsigned char c : v) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += format("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// ---------------------------------------------------------------- COBOL

// Fixed format: columns 1-6 sequence area (blank), 7 indicator, 8-72 text.
constexpr std::size_t kCobolText = 72 - 7;

// Comment lines holding `text`, broken at blanks to fit the text area.
void cobol_comment(std::string& out, std::string_view text) {
    constexpr std::size_t room = kCobolText - 1;  // "* " and the text
    while (!text.empty()) {
        std::size_t n = text.size();
        if (n > room) {
            n = text.rfind(' ', room);
            if (n == std::string_view::npos || n == 0) n = room;
        }
        out += "      * ";
        out += text.substr(0, n);
        out += '\n';
        text.remove_prefix(n);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
}

// An entry "       01  NAME   PIC X(n)." (level 01 in area A) or
// "           05  NAME   PIC X(n)." (level 05 in area B); the picture goes
// on a line of its own where a long name leaves no room for it.
void cobol_entry(std::string& out, int level, const std::string& name, long width) {
    std::string line = format(level == 1 ? "       %02d  " : "           %02d  ", level) + name;
    const std::string picture = format("PIC X(%ld).", width);
    if (std::max<std::size_t>(line.size() + 1, 46) + picture.size() > 72) {
        out += line + '\n';
        line = "               ";
    } else {
        line.resize(std::max<std::size_t>(line.size() + 1, 46), ' ');
    }
    out += line + picture + '\n';
}

void cobol_item(std::string& out, const std::string& name, long width) { cobol_entry(out, 5, name, width); }

}  // namespace

std::optional<Format> parse_format(std::string_view name) {
    if (name == "text") return Format::text;
    if (name == "csv") return Format::csv;
    if (name == "json") return Format::json;
    if (name == "cobol") return Format::cobol;
    return std::nullopt;
}

std::string render_text(const Heading& heading, const std::vector<SegmentLayout>& segments) {
    std::string out = "marlune-layout: " + heading_line(heading) + "\n";
    out += std::string(kColumnsNote) + "\n";
    for (const SegmentLayout& s : segments) {
        out += '\n';
        text_segment(out, s);
    }
    if (!heading.unknown.empty()) {
        out += "\nunknown tags, skipped by marlune " + heading.command + ":\n";
        for (const std::string& u : heading.unknown) out += "  " + u + "\n";
    }
    return out;
}

std::string render_csv(const Heading&, const std::vector<SegmentLayout>& segments) {
    std::string out = "tag,field,first,last,width,type,composite,component,element,name,directory\n";
    for (const SegmentLayout& s : segments) {
        for (const Field& f : s.fields) {
            out += format("%s,%d,%ld,%ld,%ld,%c,", s.tag.c_str(), f.number, f.first, f.last, f.width, f.type);
            out += csv_cell(f.composite) + "," + component_text(f) + "," + csv_cell(f.element) + "," +
                   csv_cell(f.name) + "," + csv_cell(s.table) + "\n";
        }
    }
    return out;
}

std::string render_json(const Heading& heading, const std::vector<SegmentLayout>& segments) {
    std::string out = "{\n  \"note\": " + json_string(kColumnsNote) + ",\n";
    if (!heading.file.empty())
        out += "  \"file\": " + json_string(heading.file) + ",\n  \"command\": " + json_string(heading.command) + ",\n";
    out += "  \"directory\": " + json_string(heading.directory) + ",\n";
    out += std::string("  \"interactive\": ") + (heading.interactive ? "true" : "false") + ",\n";
    out += "  \"segments\": [";
    const char* sep = "\n";
    for (const SegmentLayout& s : segments) {
        out += sep;
        sep = ",\n";
        out += "    {\"tag\": " + json_string(s.tag) + ", \"name\": " + json_string(s.name) +
               ", \"directory\": " + json_string(s.table) + ", \"names_from\": " + json_string(s.names_from) +
               ",\n     \"definition\": " + json_string(s.definition) + format(", \"width\": %ld,\n", s.width);
        out += "     \"fields\": [";
        const char* fsep = "\n";
        for (const Field& f : s.fields) {
            out += fsep;
            fsep = ",\n";
            out += format("       {\"field\": %d, \"first\": %ld, \"last\": %ld, \"width\": %ld, \"type\": \"%c\", ",
                          f.number, f.first, f.last, f.width, f.type);
            out += "\"composite\": " + json_string(f.composite) + format(", \"component\": %d", f.component) +
                   ", \"element\": " + json_string(f.element) + ", \"name\": " + json_string(f.name) + "}";
        }
        out += s.fields.empty() ? "]}" : "\n     ]}";
    }
    out += segments.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string cobol_name(const SegmentLayout& segment, const Field& field, std::string_view stem) {
    std::string name = (stem.empty() ? segment.tag : std::string(stem)) + format("-%02d", field.number);
    if (!field.element.empty()) name += "-" + field.element;
    return name;
}

std::string render_cobol(const Heading& heading, const std::vector<SegmentLayout>& segments) {
    const std::string& prefix = heading.prefix;
    std::string out;
    cobol_comment(out, "Records of the uncompressed form written by marlune, generated by marlune-layout: " +
                           heading_line(heading) + ".");
    cobol_comment(out, kColumnsNote);
    cobol_comment(out, "Every field is PIC X: numeric fields may hold a sign, a decimal mark and, beyond "
                       "their width, more digits.");
    cobol_comment(out, "Names: " + prefix + "<tag>-RECORD is the line of a segment, " + prefix +
                           "<tag>-TAG its tag and " + prefix +
                           "<tag>-<nn>-<element> a field: nn is the number of the field in the layout (1 for the "
                           "first field after the tag, at least two digits), element the UN data element it holds, so a data "
                           "element that recurs has one name per place (" + prefix +
                           "NAD-20-3164 is field 20 of NAD, data element 3164). A tag that two tables give "
                           "rows for is followed by the table, as in " + prefix + "MOA-D96A-RECORD. " + prefix +
                           "EDI-LINE, at the end, is as wide as the widest of these records, for the FD.");

    // Tags with more than one row here take the table into their names.
    std::map<std::string, int> rows_of_tag;
    for (const SegmentLayout& s : segments) ++rows_of_tag[s.tag];
    long widest = 3;
    for (const SegmentLayout& s : segments) {
        widest = std::max(widest, s.width);
        std::string stem = s.tag;
        if (rows_of_tag[s.tag] > 1) {
            stem += '-';
            for (char c : s.table)
                if (c != '.') stem += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        out += "      *\n";
        cobol_comment(out, s.tag + " " + (s.name.empty() ? "(no names)" : s.name) + ", directory " + s.table +
                               (!s.names_from.empty() && s.names_from != s.table ? ", names of " + s.names_from
                                                                                 : std::string()) +
                               format(", line width %ld.", s.width));
        if (s.definition.size() <= 2 * kCobolText) cobol_comment(out, s.definition);
        out += "       01  " + prefix + stem + "-RECORD.\n";
        cobol_item(out, prefix + stem + "-TAG", 3);
        for (const Field& f : s.fields) {
            std::string about = format("%ld-%ld %c%ld", f.first, f.last, f.type, f.width);
            if (!f.element.empty()) {
                about += " ";
                if (!f.composite.empty()) about += f.composite + "/" + component_text(f) + " ";
                about += f.element + " " + f.name;
            }
            cobol_comment(out, about);
            cobol_item(out, prefix + cobol_name(s, f, stem), f.width);
        }
    }
    out += "      *\n";
    cobol_comment(out, "A line of any of these records.");
    cobol_entry(out, 1, prefix + "EDI-LINE", widest);
    return out;
}

std::string render(Format format, const Heading& heading, const std::vector<SegmentLayout>& segments) {
    switch (format) {
        case Format::text: return render_text(heading, segments);
        case Format::csv: return render_csv(heading, segments);
        case Format::json: return render_json(heading, segments);
        case Format::cobol: return render_cobol(heading, segments);
    }
    return {};
}

}  // namespace marlune::layout
