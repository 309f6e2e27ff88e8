#pragma once
// Directory selection (-D and the release of each message) and the segment
// recogniser that resolves every tag through the directory chain and the
// default segment table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace marlune {
struct Definition;
}

namespace marlune::directory {

namespace detail {
// Letter number (0 for A or a ... 25 for Z or z) of every byte, -1 for the
// bytes that are not ASCII letters.
inline constexpr auto kLetter = [] {
    std::array<std::int8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        t[static_cast<std::size_t>(i)] = i >= 'A' && i <= 'Z'   ? static_cast<std::int8_t>(i - 'A')
                                         : i >= 'a' && i <= 'z' ? static_cast<std::int8_t>(i - 'a')
                                                                : std::int8_t{-1};
    }
    return t;
}();
}  // namespace detail

// Tag code of three letters (either case); nothing when the window does not
// hold three ASCII letters. Runs for every byte between segments, so the
// letter test is three table look-ups.
inline std::optional<std::uint16_t> tag_code(const char* window) noexcept {
    const int c0 = detail::kLetter[static_cast<unsigned char>(window[0])];
    const int c1 = detail::kLetter[static_cast<unsigned char>(window[1])];
    const int c2 = detail::kLetter[static_cast<unsigned char>(window[2])];
    if ((c0 | c1 | c2) < 0) return std::nullopt;
    return static_cast<std::uint16_t>(c0 + 32 * c1 + 1024 * c2);
}

// Which directory is in force: the directory index (-1 for 88.1, 0 for 90.2
// up to 16 for D.99A, with -X up to 66 for D.24A, -2 for none), the release and version that chose it
// (set by -D and by each message header), and the options of the lookup.
struct Selection {
    explicit Selection(std::FILE* err_stream) noexcept : err(err_stream) {}

    std::FILE* err;                // warnings
    // Warnings of the run that tell of input not converted as it stands
    // (an unknown tag or release, a segment cut short by the end of the
    // input, a line or value that does not fit its layout); -S fails a run
    // that wrote any. Every path of the run that writes one counts it here.
    std::int64_t loss_warnings = 0;
    int _DIREC = 0;                // directory index
    std::string DIREC;             // release of the current message, e.g. "96A"
    std::string MSTYPEVER;         // version of the current message; "S" selects S.93A
    bool INTERACTIVE = false;      // -I: interactive directories first
    bool GENFINDINFO = false;      // -w: report the search
    bool EXTENDED = false;         // -X: the directories after D.99A (indexes 17 to 66)

    // The tags the segment recogniser resolved lately, each with the state
    // of the selection it was resolved under: a segment of a tag met before
    // under the same directory skips the walk down the chain. Only silent
    // resolutions are kept (no -w trace, no unknown tag).
    struct Remembered {
        std::uint64_t key = 0;  // 0: empty
        const Definition* definition = nullptr;
        const char* table = nullptr;
    };
    std::array<Remembered, 128> remembered{};  // by a hash of the tag code
};

// -D <name>: returns 1 and selects the directory when the name is supported.
int findTheDIREC(Selection& dir, const char* name);

// Sets the directory index from a release code such as "96A"; an unknown
// code gives index -2 and a warning.
void findDirec(Selection& dir, const char* code);

// A definition together with the table it was found in, named as the list
// of supported directories names it ("88.1" ... "D.99A", "S.93A", "I.96B"
// ... "I.99A"), or "default" for the default segment table.
struct Resolution {
    const Definition* definition;  // nullptr: defined nowhere
    const char* table;       // nullptr with it
};

// The definition that the lookup from directory index `index` resolves
// `code` to (directories of the chain, then the default table), and where it
// was found. No messages; used by checks and tools.
Resolution resolve_in(const Selection& dir, int index, std::uint16_t code) noexcept;

// The name of the directory that the lookup from index `index` starts with,
// as the list of supported directories names it ("90.2", "S.93A" for index
// 5 in a message of version S, ...); nullptr outside -1 to 16 (66 with -X).
const char* directory_name(const Selection& dir, int index) noexcept;

// What a silent resolution of `code` depends on (remembered_key()): the
// tag, the directory index, S.93A for messages of version S, -I and -X.
// selection_key() is all of it but the tag, the same for every tag while
// the selection stays (within a message); the tag's code is or-ed into it.
inline std::uint64_t selection_key(const Selection& dir) noexcept {
    const bool version_s = dir.MSTYPEVER.size() == 1 && dir.MSTYPEVER[0] == 'S';
    return std::uint64_t{1} << 63 | static_cast<std::uint64_t>(dir._DIREC + 2) << 16 | std::uint64_t{version_s} << 40 |
           std::uint64_t{dir.INTERACTIVE} << 41 | std::uint64_t{dir.EXTENDED} << 42;
}
inline std::uint64_t remembered_key(const Selection& dir, std::uint16_t code) noexcept {
    return selection_key(dir) | std::uint64_t{code};
}

inline Selection::Remembered& remembered_slot(Selection& dir, std::uint16_t code) noexcept {
    return dir.remembered[(code * 0x9E3779B1u) >> 25];
}

// What ifthenelse() resolves `code` to where it is remembered and no trace
// is written (no -w); nullptr where the walk down the chain is needed.
// `selection`: selection_key(dir), for a caller that resolves many tags
// under one selection.
inline const Selection::Remembered* remembered(Selection& dir, std::uint16_t code, std::uint64_t selection) noexcept {
    if (dir.GENFINDINFO) return nullptr;
    const Selection::Remembered& slot = remembered_slot(dir, code);
    return slot.key == (selection | std::uint64_t{code}) ? &slot : nullptr;
}
inline const Selection::Remembered* remembered(Selection& dir, std::uint16_t code) noexcept {
    return remembered(dir, code, selection_key(dir));
}

// ifthenelse() of a tag that is not remembered.
Resolution look_up(Selection& dir, const char* window, std::uint16_t code, std::int64_t line);

// The segment recogniser, called for every byte of the segment loop: when
// the window (three bytes and a 0) holds a tag, the definition the lookup
// finds for it and its table, with the -w trace; a tag defined nowhere is
// reported (`line` is quoted, the warning counted) and gives no definition.
// The bytes that are not a tag and the tags remembered cost no call.
inline Resolution ifthenelse(Selection& dir, const char* window, std::uint16_t code, std::int64_t line) {
    if (const Selection::Remembered* slot = remembered(dir, code)) return {slot->definition, slot->table};
    return look_up(dir, window, code, line);
}

// The same for the window's tag code, when it holds a tag.
inline Resolution ifthenelse(Selection& dir, const char* window, std::int64_t line) {
    const auto code = tag_code(window);
    if (!code) return {nullptr, nullptr};
    return ifthenelse(dir, window, *code, line);
}

// The definition alone, or nullptr.
const Definition* resolve(const Selection& dir, int index, std::uint16_t code) noexcept;

}  // namespace marlune::directory
