// embednames: writes one C++ source holding the field-name files of
// data/names, in catalogue order, for the layout library.
//
//   embednames OUT NAMES_DIR TABLE=FILE [TABLE=FILE ...]
//
// Every line of every file is stored once: consecutive releases name most
// rows alike, so a row line whose source column names its own table is
// stored with that column empty, and a line met again in a later table is
// not stored again. Each table is the list of its lines (indexes into the
// shared lines); src/layout/names.cpp reads them.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::cerr << "embednames: " << what << '\n';
    std::exit(1);
}

// A C++ string literal of `text`: every byte outside printable ASCII, the
// quote and the backslash written as an octal escape.
std::string literal(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\' || c < 0x20 || c > 0x7e) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

struct Table {
    std::string name;
    std::vector<std::size_t> lines;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) fail("usage: embednames OUT NAMES_DIR TABLE=FILE [TABLE=FILE ...]");
    const std::string out_path = argv[1];
    const std::string dir = argv[2];
    std::map<std::string, std::size_t> index;
    std::vector<std::string> pool;
    std::vector<Table> tables;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (eq == std::string::npos) fail("argument without '=': " + arg);
        Table t{arg.substr(0, eq), {}};
        const std::string path = dir + "/" + arg.substr(eq + 1) + ".txt";
        std::ifstream in(path, std::ios::binary);
        if (!in) fail("cannot open " + path);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] != '#') {
                // TAG <tab> source <tab> ...: the table's own name is left out.
                const auto tab = line.find('\t');
                const auto tab2 = tab == std::string::npos ? tab : line.find('\t', tab + 1);
                if (tab2 != std::string::npos && line.compare(tab + 1, tab2 - tab - 1, t.name) == 0)
                    line.erase(tab + 1, tab2 - tab - 1);
            }
            const auto [it, fresh] = index.try_emplace(line, pool.size());
            if (fresh) pool.push_back(line);
            t.lines.push_back(it->second);
        }
        tables.push_back(std::move(t));
    }
    if (pool.size() > 0xFFFF) fail("more than 65535 different lines");

    std::ostringstream src;
    src << "// Generated from data/names by tools/embednames; do not edit.\n"
        << "#include \"layout/names.hpp\"\n\n#include <cstdint>\n\nnamespace marlune::layout {\n\nnamespace {\n\n"
        << "// Every line of the names texts once.\n"
        << "constexpr const char* kLines[" << pool.size() << "] = {\n";
    for (const std::string& line : pool) src << "    " << literal(line) << ",\n";
    src << "};\n\n";
    for (std::size_t t = 0; t < tables.size(); ++t) {
        src << "// " << tables[t].name << "\nconstexpr std::uint16_t kTable" << t << "[" << tables[t].lines.size()
            << "] = {";
        for (std::size_t i = 0; i < tables[t].lines.size(); ++i)
            src << (i % 16 == 0 ? "\n    " : " ") << tables[t].lines[i] << ",";
        src << "\n};\n\n";
    }
    src << "}  // namespace\n\n"
        << "std::span<const NamesText> names_texts() noexcept {\n"
        << "    static constexpr NamesText texts[] = {\n";
    for (std::size_t t = 0; t < tables.size(); ++t)
        src << "        {\"" << tables[t].name << "\", kLines, kTable" << t << "},\n";
    src << "    };\n    return texts;\n}\n\n}  // namespace marlune::layout\n";

    const std::string text = src.str();
    // Written only when it changes, so that the library is not rebuilt for nothing.
    {
        std::ifstream old(out_path, std::ios::binary);
        std::ostringstream have;
        have << old.rdbuf();
        if (old && have.str() == text) return 0;
    }
    std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) fail("cannot write " + out_path);
    return 0;
}
