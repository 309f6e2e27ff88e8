// gencatalogue: compiles the catalogue data files into C++ sources.
//
//   gencatalogue OUTPUT_DIR DATA_FILE FUNCTION [DATA_FILE FUNCTION ...]
//
// Each DATA_FILE holds '#' header lines, then one segment definition per
// line, sorted by tag. Two sources are written:
//
// - OUTPUT_DIR/catalogue_rows.cpp: every definition of every table once
//   (detail::kCatalogueRows, marlune::Definition: the text and its table of
//   fields), a row of the same text in several tables being stored once,
//   and the fields of all rows (detail::kCatalogueFields), rows with the same
//   fields sharing one run;
// - OUTPUT_DIR/catalogue_tables.cpp: per table its rows as indexes into the
//   shared rows, sorted by tag, with the key of each (the tag code with its
//   letters in reverse order, which sorts as the tag does); the directory
//   function FUNCTION (a binary search of the key of the tag code, nullptr
//   for a code the table does not hold) and FUNCTION_rows(), in namespace
//   marlune::directory.
//
// Every definition is compiled with marlune::compile_definition, the same
// reader of the notation that the program is built on, before anything is
// written: tag of three upper-case letters, "+", field specifiers (lead "+"
// or ":", the first one "+", type letter A, a, N or n, a width of decimal
// digits from 1 to 65535 without a leading zero), a closing apostrophe and
// nothing after it; besides, printable ASCII only, no tag twice and tags in
// ascending order. Any fault ends the program with status 1 and a message
// naming the file, the line and the reason, which fails the build.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/compile_definition.hpp"

namespace {

using marlune::Field;

struct Row {
    std::string text;
    std::uint16_t code;
    std::size_t first_field;  // offset of its fields in the shared array
    std::size_t field_count;
    std::uint32_t line_width;
    std::size_t shared;       // index in the shared rows
};

struct Table {
    std::string data;
    std::string function;
    std::vector<Row> rows;
};

[[noreturn]] void fail(const std::string& file, int line, const std::string& msg) {
    std::cerr << "gencatalogue: " << file;
    if (line > 0) std::cerr << ':' << line;
    std::cerr << ": " << msg << '\n';
    std::exit(1);
}

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::uint16_t tag_code(std::string_view tag) {
    return static_cast<std::uint16_t>((tag[0] - 'A') + 32 * (tag[1] - 'A') + 1024 * (tag[2] - 'A'));
}

// Every field of every table; rows whose fields are the same text (the
// part after the tag) share one run.
class FieldPool {
public:
    // Compiles `text`; returns the reason when it is malformed.
    std::string add(Row& row) {
        for (char c : row.text) {
            if (c < 0x20 || c > 0x7e) return "character outside printable ASCII";
        }
        std::vector<Field> fields;
        std::string why = marlune::compile_definition(row.text.c_str(), fields);
        if (!why.empty()) return why;
        std::uint64_t width = 3;
        for (const Field& f : fields) width += f.width;
        row.line_width = static_cast<std::uint32_t>(width);  // compile_definition keeps it in range
        row.field_count = fields.size();
        const auto [it, fresh] = runs_.try_emplace(row.text.substr(3), fields_.size());
        if (fresh) fields_.insert(fields_.end(), fields.begin(), fields.end());
        row.first_field = it->second;
        const auto [at, new_row] = rows_.try_emplace(row.text, unique_.size());
        if (new_row) unique_.push_back(row);
        row.shared = at->second;
        return {};
    }
    const std::vector<Field>& fields() const { return fields_; }
    // Every row text once, in the order first met.
    const std::vector<Row>& rows() const { return unique_; }

private:
    std::map<std::string, std::size_t> runs_;
    std::vector<Field> fields_;
    std::map<std::string, std::size_t> rows_;
    std::vector<Row> unique_;
};

void read_rows(Table& table, FieldPool& pool) {
    const std::string& path = table.data;
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, 0, "cannot open the data file");
    std::set<std::uint16_t> seen;
    std::string line;
    int lineno = 0;
    bool in_header = true;
    while (std::getline(in, line)) {
        ++lineno;
        if (!line.empty() && line[0] == '#') {
            if (!in_header) fail(path, lineno, "comment line after the first definition");
            continue;
        }
        in_header = false;
        if (line.empty()) fail(path, lineno, "empty line");
        Row row{line, 0, 0, 0, 0, 0};
        const std::string why = pool.add(row);
        if (!why.empty()) fail(path, lineno, "malformed definition (" + why + "): " + line.substr(0, 60));
        row.code = tag_code(line);
        if (!seen.insert(row.code).second) fail(path, lineno, "tag " + line.substr(0, 3) + " defined twice");
        if (!table.rows.empty() && table.rows.back().text.compare(0, 3, line, 0, 3) > 0)
            fail(path, lineno, "tag " + line.substr(0, 3) + " out of order (rows are sorted by tag)");
        table.rows.push_back(std::move(row));
    }
    if (table.rows.empty()) fail(path, 0, "no definitions");
}

bool valid_identifier(std::string_view s) {
    if (s.empty() || is_digit(s[0])) return false;
    for (char c : s) {
        if (!(is_upper(c) || is_digit(c) || (c >= 'a' && c <= 'z') || c == '_')) return false;
    }
    return true;
}

// The definition as a C++ string literal, split into adjacent literals of
// at most 100 characters so that the long ARR rows stay readable; a split
// row is parenthesised to show that its pieces are one element.
void write_literal(std::ostream& out, const std::string& text) {
    constexpr std::size_t chunk = 100;
    const bool split = text.size() > chunk;
    if (split) out << '(';
    for (std::size_t pos = 0; pos < text.size(); pos += chunk) {
        if (pos != 0) out << "\n        ";
        out << '"' << text.substr(pos, chunk) << '"';
    }
    if (split) out << ')';
}

// An array needs one element at least, even for tables without fields.
std::size_t pool_size(const std::vector<Field>& fields) { return fields.empty() ? 1 : fields.size(); }

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) fail(path, 0, "cannot write the output file");
    out << text;
    out.close();
    if (!out) fail(path, 0, "write error");
}

// The key that sorts as the tag: the letters of the tag code in reverse order.
std::uint16_t tag_key(std::uint16_t code) {
    return static_cast<std::uint16_t>((code % 32) * 1024 + (code / 32 % 32) * 32 + code / 1024);
}

std::string rows_source(const FieldPool& pool) {
    const std::vector<Field>& fields = pool.fields();
    std::ostringstream src;
    src << "// Generated by gencatalogue from data/catalogue -- do not edit.\n"
        << "// Every row of the catalogue once, and the fields of all rows.\n"
        << "#include \"directory/catalogue.hpp\"\n\n"
        << "namespace marlune::directory::detail {\n\n"
        << "extern const Field kCatalogueFields[" << pool_size(fields) << "];\n"
        << "extern const Definition kCatalogueRows[" << pool.rows().size() << "];\n\n"
        << "// lead, type, width, column, tail components, tail reach\n"
        << "const Field kCatalogueFields[" << pool_size(fields) << "] = {";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        src << (i % 8 == 0 ? "\n    " : " ") << "{'" << f.lead << "', '" << f.type << "', " << f.width << ", "
            << f.column << ", " << f.tail_components << ", " << f.tail_reach << "},";
    }
    src << "\n};\n\n"
        << "// text, fields, line width\n"
        << "const Definition kCatalogueRows[" << pool.rows().size() << "] = {\n";
    for (const Row& r : pool.rows()) {
        src << "    {";
        write_literal(src, r.text);
        if (r.field_count == 0) {
            src << ", {}, ";
        } else {
            src << ", {kCatalogueFields + " << r.first_field << ", " << r.field_count << "}, ";
        }
        src << r.line_width << "},\n";
    }
    src << "};\n\n}  // namespace marlune::directory::detail\n";
    return src.str();
}

std::string tables_source(const std::vector<Table>& tables, std::size_t row_count) {
    std::ostringstream src;
    src << "// Generated by gencatalogue from data/catalogue -- do not edit.\n"
        << "#include \"directory/catalogue.hpp\"\n\n"
        << "namespace marlune::directory {\n\n"
        << "namespace detail {\n"
        << "extern const Definition kCatalogueRows[" << row_count << "];\n"
        << "}\n\n"
        << "namespace {\n\n"
        << "// The definition of `code` among `count` rows sorted by tag.\n"
        << "// The key reverses the three 5-bit groups of the code: one to one below\n"
        << "// 32768, and no tag code is that high.\n"
        << "const Definition* find_row(const TableRow* rows, std::size_t count, std::uint16_t code) noexcept {\n"
        << "    if (code >= 32768) return nullptr;\n"
        << "    const std::uint16_t key = static_cast<std::uint16_t>((code % 32) * 1024 + (code / 32 % 32) * 32 + code / 1024);\n"
        << "    std::size_t lo = 0;\n"
        << "    std::size_t hi = count;\n"
        << "    while (lo < hi) {\n"
        << "        const std::size_t mid = (lo + hi) / 2;\n"
        << "        if (rows[mid].key < key) {\n"
        << "            lo = mid + 1;\n"
        << "        } else {\n"
        << "            hi = mid;\n"
        << "        }\n"
        << "    }\n"
        << "    return lo < count && rows[lo].key == key ? &detail::kCatalogueRows[rows[lo].row] : nullptr;\n"
        << "}\n\n";
    for (const Table& t : tables) {
        src << "// " << t.data << "\n"
            << "constexpr TableRow k_" << t.function << "[" << t.rows.size() << "] = {";
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const Row& r = t.rows[i];
            src << (i % 6 == 0 ? "\n    " : " ") << "{" << tag_key(r.code) << ", " << r.shared << "},";
        }
        src << "\n};\n\n";
    }
    src << "}  // namespace\n\n";
    for (const Table& t : tables) {
        src << "const Definition* " << t.function << "(std::uint16_t code) noexcept {\n"
            << "    return find_row(k_" << t.function << ", " << t.rows.size() << ", code);\n"
            << "}\n"
            << "TableRows " << t.function << "_rows() noexcept { return {k_" << t.function << ", "
            << t.rows.size() << ", detail::kCatalogueRows}; }\n\n";
    }
    src << "}  // namespace marlune::directory\n";
    return src.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::cerr << "usage: gencatalogue OUTPUT_DIR DATA_FILE FUNCTION [DATA_FILE FUNCTION ...]\n";
        return 1;
    }
    const std::string dir = argv[1];
    std::vector<Table> tables;
    for (int i = 2; i + 1 < argc; i += 2) {
        Table t{argv[i], argv[i + 1], {}};
        if (!valid_identifier(t.function)) fail(t.data, 0, "invalid function name '" + t.function + "'");
        tables.push_back(std::move(t));
    }

    FieldPool pool;
    for (Table& t : tables) read_rows(t, pool);
    if (pool.rows().size() > 0xFFFF) fail(tables.back().data, 0, "more than 65535 different rows");

    // Nothing is written unless every table is well formed.
    write_file(dir + "/catalogue_tables.cpp", tables_source(tables, pool.rows().size()));
    write_file(dir + "/catalogue_rows.cpp", rows_source(pool));
    return 0;
}
