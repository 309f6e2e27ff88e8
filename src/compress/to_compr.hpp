#pragma once
// Compression of one fixed-width line back into a compressed segment.
#include <string>

namespace marlune {
struct Context;
struct Definition;
}

namespace marlune::compress {

// Converts the uncompressed line of the segment whose tag has just been
// read; returns the byte that follows the line.
int to_compr(Context& ctx, const Definition& definition);

// Converts one field value by its type and writes it through the compactor.
// `text` holds the value and may be changed in place.
void prt_field(Context& ctx, std::string& text, char type);

}  // namespace marlune::compress
