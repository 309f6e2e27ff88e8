#pragma once
// Per-segment entry shared by both directions, and the expansion of one
// compressed segment into its fixed-width line.
namespace marlune {
struct Context;
struct Definition;
}

namespace marlune::expand {

// Converts the segment whose tag has just been read, under `definition`
// (expansion, or compression with the direction flag), and returns the byte
// that follows it in the input.
int read_tag(Context& ctx, const Definition& definition);

// Expands one compressed segment; returns the byte after it.
int read_tag_cu(Context& ctx, const Definition& definition);

}  // namespace marlune::expand
