// gencatalogue: turns one catalogue data file into one C++ source file.
//
//   gencatalogue DATA_FILE OUTPUT_FILE FUNCTION_NAME
//
// DATA_FILE holds '#' header lines, then one segment definition per line,
// sorted by tag.  The output defines a static array holding each definition
// text once, the directory function FUNCTION_NAME (one switch on the tag
// code returning the array element, nullptr for any other code) and
// FUNCTION_NAME_rows() returning the array, in namespace marlune::directory.
//
// Every definition is checked before anything is written: tag of three
// upper-case letters, "+", field specifiers (lead "+" or ":", the first one
// "+", type letter A, a, N or n, a length of decimal digits without sign or
// leading zero), a closing apostrophe and nothing after it; no tag twice;
// tags in ascending order.  Any fault ends the program with status 1 and a
// message naming the file and line, which fails the build.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Row {
    std::string text;
    std::uint16_t code;
    int line;
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

// Returns an empty string when `def` is well formed, else what is wrong.
std::string check_definition(std::string_view def) {
    for (char c : def) {
        if (c < 0x20 || c > 0x7e) return "character outside printable ASCII";
    }
    if (def.size() < 5) return "too short for a definition";
    if (!is_upper(def[0]) || !is_upper(def[1]) || !is_upper(def[2]))
        return "the tag must be three upper-case letters";
    if (def[3] != '+') return "the tag must be followed by '+'";
    std::size_t i = 4;
    bool first = true;
    while (i < def.size() && def[i] != '\'') {
        const char lead = def[i];
        if (lead != '+' && lead != ':') return "expected '+' or ':' at position " + std::to_string(i + 1);
        if (first && lead != '+') return "the first field must begin a data element with '+'";
        first = false;
        ++i;
        if (i >= def.size()) return "field without a type letter at the end";
        const char type = def[i];
        if (type != 'A' && type != 'a' && type != 'N' && type != 'n')
            return std::string("unknown type letter '") + type + "' at position " + std::to_string(i + 1);
        ++i;
        const std::size_t digits = i;
        while (i < def.size() && is_digit(def[i])) ++i;
        if (i == digits) return "field without a length at position " + std::to_string(digits + 1);
        if (def[digits] == '0') return "length with a leading zero at position " + std::to_string(digits + 1);
        if (i - digits > 5) return "length too long at position " + std::to_string(digits + 1);
    }
    if (i >= def.size()) return "missing the closing apostrophe";
    if (i + 1 != def.size()) return "text after the closing apostrophe";
    return {};
}

std::vector<Row> read_rows(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, 0, "cannot open the data file");
    std::vector<Row> rows;
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
        const std::string why = check_definition(line);
        if (!why.empty()) fail(path, lineno, "malformed definition (" + why + "): " + line.substr(0, 60));
        const std::uint16_t code = tag_code(line);
        if (!seen.insert(code).second) fail(path, lineno, "tag " + line.substr(0, 3) + " defined twice");
        if (!rows.empty() && rows.back().text.compare(0, 3, line, 0, 3) > 0)
            fail(path, lineno, "tag " + line.substr(0, 3) + " out of order (rows are sorted by tag)");
        rows.push_back({line, code, lineno});
    }
    if (rows.empty()) fail(path, 0, "no definitions");
    return rows;
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: gencatalogue DATA_FILE OUTPUT_FILE FUNCTION_NAME\n";
        return 1;
    }
    const std::string data = argv[1];
    const std::string output = argv[2];
    const std::string function = argv[3];
    if (!valid_identifier(function)) fail(data, 0, "invalid function name '" + function + "'");

    const std::vector<Row> rows = read_rows(data);

    std::ostringstream src;
    src << "// Generated by gencatalogue from " << data << " -- do not edit.\n"
        << "#include \"directory/catalogue.hpp\"\n\n"
        << "namespace marlune::directory {\n"
        << "namespace {\n\n"
        << "constexpr const char* const kRows[" << rows.size() << "] = {\n";
    for (const Row& r : rows) {
        src << "    ";
        write_literal(src, r.text);
        src << ",\n";
    }
    src << "};\n\n"
        << "}  // namespace\n\n"
        << "const char* " << function << "(std::uint16_t code) noexcept {\n"
        << "    switch (code) {\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        src << "        case " << rows[i].code << ": return kRows[" << i << "];  // " << rows[i].text.substr(0, 3)
            << '\n';
    }
    src << "        default: return nullptr;\n"
        << "    }\n"
        << "}\n\n"
        << "std::span<const char* const> " << function << "_rows() noexcept { return kRows; }\n\n"
        << "}  // namespace marlune::directory\n";

    const std::string text = src.str();
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) fail(output, 0, "cannot write the output file");
    out << text;
    out.close();
    if (!out) fail(output, 0, "write error");
    return 0;
}
