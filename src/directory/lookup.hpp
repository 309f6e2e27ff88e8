#pragma once
// Directory selection (-D and the release of each message) and the segment
// recogniser that resolves every tag through the directory chain and the
// default segment table.
#include <cstdint>
#include <optional>

namespace marlune {
struct Context;
}

namespace marlune::directory {

// Tag code of three letters (either case); nothing when the window does not
// hold three ASCII letters.
std::optional<std::uint16_t> tag_code(const char* window) noexcept;

// -D <name>: returns 1 and selects the directory when the name is supported.
int findTheDIREC(Context& ctx, const char* name);

// Sets the directory index from a release code such as "96A"; an unknown
// code gives index -2 and a warning.
void findDirec(Context& ctx, const char* code);

// Called for every byte of the segment loop. When the window holds a known
// tag, the segment is converted and the window holds the byte after it.
void ifthenelse(Context& ctx, char* window);

// The definition that the lookup from directory index `index` resolves
// `code` to (directories of the chain, then the default table), or nullptr.
// No messages; used by checks and tools.
const char* resolve(const Context& ctx, int index, std::uint16_t code) noexcept;

}  // namespace marlune::directory
