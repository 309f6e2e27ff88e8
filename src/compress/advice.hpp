#pragma once
// The service string advice of a compressed output.
namespace marlune {
struct Conversion;
}

namespace marlune::compress {

class Compactor;

// Writes the line of a UNA segment as the complete advice of the output's
// level, after whatever the compactor holds, then the segment end; returns
// the byte that follows the tag.
int write_advice(Conversion& conv, Compactor& compactor);

}  // namespace marlune::compress
