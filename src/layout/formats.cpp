#include "layout/formats.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/fatal.hpp"

namespace marlune::layout {

namespace {

std::string heading_line(const Heading& h) {
    return "layout of the uncompressed form, directory " + h.directory + (h.interactive ? " with -I" : "");
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

// An item line "           05  NAME   PIC X(n)." (level in area B).
void cobol_item(std::string& out, const std::string& name, long width) {
    std::string line = "           05  " + name;
    line.resize(std::max<std::size_t>(line.size() + 1, 46), ' ');
    line += format("PIC X(%ld).", width);
    out += line + '\n';
}

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
    return out;
}

std::string render_csv(const Heading&, const std::vector<SegmentLayout>& segments) {
    std::string out = "# " + std::string(kColumnsNote) + "\n";
    out += "tag,field,first,last,width,type,composite,component,element,name,directory\n";
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

std::string cobol_name(const SegmentLayout& segment, const Field& field) {
    std::string name = segment.tag + format("-%02d", field.number);
    if (!field.element.empty()) name += "-" + field.element;
    return name;
}

std::string render_cobol(const Heading& heading, const std::vector<SegmentLayout>& segments) {
    std::string out;
    cobol_comment(out, "Records of the uncompressed form written by marlune, generated by marlune-layout: " +
                           heading_line(heading) + ".");
    cobol_comment(out, kColumnsNote);
    cobol_comment(out, "Every field is PIC X: numeric fields may hold a sign, a decimal mark and, beyond "
                       "their width, more digits.");
    for (const SegmentLayout& s : segments) {
        out += "      *\n";
        cobol_comment(out, s.tag + " " + (s.name.empty() ? "(no names)" : s.name) + ", directory " + s.table +
                               (!s.names_from.empty() && s.names_from != s.table ? ", names of " + s.names_from
                                                                                 : std::string()) +
                               format(", line width %ld.", s.width));
        if (s.definition.size() <= 2 * kCobolText) cobol_comment(out, s.definition);
        out += "       01  " + s.tag + "-RECORD.\n";
        cobol_item(out, s.tag + "-TAG", 3);
        for (const Field& f : s.fields) {
            std::string about = format("%ld-%ld %c%ld", f.first, f.last, f.type, f.width);
            if (!f.element.empty()) {
                about += " ";
                if (!f.composite.empty()) about += f.composite + "/" + component_text(f) + " ";
                about += f.element + " " + f.name;
            }
            cobol_comment(out, about);
            cobol_item(out, cobol_name(s, f), f.width);
        }
    }
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
