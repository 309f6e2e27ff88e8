#include "directory/lookup.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "directory/catalogue.hpp"

namespace marlune::directory {

namespace {

constexpr char upper(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// One step of the directory chain: index -1 (88.1) to 16 (D.99A), and with
// -X on to 66 (D.24A).
struct Step {
    const char* name;                // as in the chain messages and -D
    const char* code;                // release code
    DirectoryFunction batch;
    DirectoryFunction interactive;   // searched first with -I
    const char* interactive_name;
};

#define MARLUNE_RELEASE_STEP(release) \
    {"D." #release, #release, dirD_##release, dirI_##release, "I." #release},

constexpr Step kChain[] = {
    {"88.1", "881", dir881, nullptr, nullptr},
    {"90.2", "902", dir902, nullptr, nullptr},
    {"91.1", "911", dir911, nullptr, nullptr},
    {"91.2", "912", dir912, nullptr, nullptr},
    {"92.1", "921", dir921, nullptr, nullptr},
    {"93.2", "932", dir932, nullptr, nullptr},
    {"D.93A", "93A", dirD_93A, nullptr, nullptr},  // or S.93A for messages of version S
    {"D.94A", "94A", dirD_94A, nullptr, nullptr},
    {"D.94B", "94B", dirD_94B, nullptr, nullptr},
    {"D.95A", "95A", dirD_95A, nullptr, nullptr},
    {"D.95B", "95B", dirD_95B, nullptr, nullptr},
    {"D.96A", "96A", dirD_96A, nullptr, nullptr},
    {"D.96B", "96B", dirD_96B, dirI_96B, "I.96B"},
    {"D.97A", "97A", dirD_97A, dirI_97A, "I.97A"},
    {"D.97B", "97B", dirD_97B, dirI_97B, "I.97B"},
    {"D.98A", "98A", dirD_98A, dirI_98A, "I.98A"},
    {"D.98B", "98B", dirD_98B, dirI_98B, "I.98B"},
    {"D.99A", "99A", dirD_99A, dirI_99A, "I.99A"},
    MARLUNE_RELEASES_AFTER_99A(MARLUNE_RELEASE_STEP)
};
#undef MARLUNE_RELEASE_STEP

constexpr int kFirst = -1;
constexpr int kLastStandard = 16;                                          // D.99A
constexpr int kLastExtended = kFirst + static_cast<int>(std::size(kChain)) - 1;  // D.24A
static_assert(kLastExtended == 66);
constexpr int kS93A = 5;

// The newest step of the chain: D.99A, or D.24A with -X.
int last_index(const Selection& dir) noexcept { return dir.EXTENDED ? kLastExtended : kLastStandard; }

const Step& step(int index) noexcept { return kChain[static_cast<std::size_t>(index - kFirst)]; }

// The definition of `code` in the directory of chain step `index`, and
// which table of that step holds it.
Resolution search(const Selection& dir, int index, std::uint16_t code) noexcept {
    const Step& s = step(index);
    if (index == kS93A && dir.MSTYPEVER == "S") return {dirS_93A(code), "S.93A"};
    if (s.interactive && dir.INTERACTIVE) {
        if (const Definition* def = s.interactive(code)) return {def, s.interactive_name};
    }
    return {s.batch(code), s.name};
}

struct Name {
    const char* name;
    const char* code;
};

// Names accepted by -D up to D.99A, in the order they are tried, with their
// release code; with -X the newer directories of the chain follow.
constexpr std::array<Name, 19> kNames{{
    {"88.1", "881"},   {"90.2", "902"},   {"91.1", "911"},   {"91.2", "912"},   {"92.1", "921"},
    {"93.2", "932"},   {"D.93A", "93A"},  {"S.93A", "93A"},  {"D.94A", "94A"},  {"D.94B", "94B"},
    {"D.95A", "95A"},  {"D.95B", "95B"},  {"D.96A", "96A"},  {"D.96B", "96B"},  {"D.97A", "97A"},
    {"D.97B", "97B"},  {"D.98A", "98A"},  {"D.98B", "98B"},  {"D.99A", "99A"},
}};

struct Code {
    const char* code;
    int index;
};

// Release codes up to 99A; with -X the newer codes of the chain follow.
constexpr std::array<Code, 19> kCodes{{
    {"882", -1}, {"881", -1}, {"902", 0},  {"911", 1},  {"912", 2},  {"921", 3},  {"932", 4},
    {"93A", 5},  {"94A", 6},  {"94B", 7},  {"95A", 8},  {"95B", 9},  {"96A", 10}, {"96B", 11},
    {"97A", 12}, {"97B", 13}, {"98A", 14}, {"98B", 15}, {"99A", 16},
}};

}  // namespace

int findTheDIREC(Selection& dir, const char* name) {
    std::string buf(name, strnlen(name, 24));
    for (std::size_t i = buf.size(); i > 1 && buf[i - 1] == ' '; --i) buf.resize(i - 1);
    buf.erase(0, buf.find_first_not_of(' ') == std::string::npos ? buf.size() : buf.find_first_not_of(' '));
    for (char& c : buf) c = upper(c);

    for (const Name& n : kNames) {
        if (buf == n.name) {
            if (buf == "S.93A") dir.MSTYPEVER.assign(1, 'S');
            dir.DIREC = n.code;
            findDirec(dir, dir.DIREC.c_str());
            return 1;
        }
    }
    for (int k = kLastStandard + 1; k <= last_index(dir); ++k) {
        if (buf == step(k).name) {
            dir.DIREC = step(k).code;
            findDirec(dir, dir.DIREC.c_str());
            return 1;
        }
    }
    if (!buf.empty() && buf[0] == 'I') {
        buf[0] = 'D';
        std::fprintf(dir.err,
                     "You specified an interactive directory to be used\n"
                     "Use the -I option to make use of interactive directories\n"
                     "For now I'll assume '%s' and try again\n",
                     buf.c_str());
        return findTheDIREC(dir, buf.c_str());
    }
    return 0;
}

void findDirec(Selection& dir, const char* code) {
    for (const Code& c : kCodes) {
        if (std::strcmp(code, c.code) == 0) {
            dir._DIREC = c.index;
            return;
        }
    }
    for (int k = kLastStandard + 1; k <= last_index(dir); ++k) {
        if (std::strcmp(code, step(k).code) == 0) {
            dir._DIREC = k;
            return;
        }
    }
    dir._DIREC = -2;
    ++dir.loss_warnings;
    std::fprintf(dir.err, "Warning: I don't know of directory '%s'\n", code);
}

Resolution resolve_in(const Selection& dir, int index, std::uint16_t code) noexcept {
    for (int k = index; k >= kFirst && k <= last_index(dir); --k) {
        if (const Resolution r = search(dir, k, code); r.definition) return r;
    }
    if (const Definition* def = default_segment(code)) return {def, "default"};
    return {nullptr, nullptr};
}

const char* directory_name(const Selection& dir, int index) noexcept {
    if (index < kFirst || index > last_index(dir)) return nullptr;
    if (index == kS93A && dir.MSTYPEVER == "S") return "S.93A";
    return step(index).name;
}

const Definition* resolve(const Selection& dir, int index, std::uint16_t code) noexcept {
    return resolve_in(dir, index, code).definition;
}

Resolution look_up(Selection& dir, const char* window, std::uint16_t code, std::int64_t line) {
    if (!dir.GENFINDINFO) {
        const Resolution r = resolve_in(dir, dir._DIREC, code);
        if (r.definition) {
            remembered_slot(dir, code) = {remembered_key(dir, code), r.definition, r.table};
            return r;
        }
    }
    bool not_found = false;  // the whole chain was searched
    for (int k = dir._DIREC; k >= kFirst && k <= last_index(dir); --k) {
        if (const Resolution r = search(dir, k, code); r.definition) return r;
        if (k == kFirst) {
            not_found = true;
            break;
        }
        if (dir.GENFINDINFO)
            std::fprintf(dir.err, "'%s' not found in %s, searching %s\n", window, step(k).name,
                         step(k - 1).name);
    }

    if (not_found && dir.GENFINDINFO && std::strncmp(window, "UC", 2) != 0 &&
        std::strncmp(window, "US", 2) != 0 && std::strncmp(window, "UN", 2) != 0) {
        std::fprintf(dir.err, "Warning: tag %s not found in directory %s at line %lld (using default)\n", window,
                     dir.DIREC.c_str(), static_cast<long long>(line));
    }
    if (const Definition* def = default_segment(code)) return {def, "default"};
    ++dir.loss_warnings;
    std::fprintf(dir.err, "Can't uncompress/compress tag '%s' (line %lld), tag is unknown to me\n", window,
                 static_cast<long long>(line));
    return {nullptr, nullptr};
}

}  // namespace marlune::directory
