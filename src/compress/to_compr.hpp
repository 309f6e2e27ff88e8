#pragma once
// Compression of one fixed-width line back into a compressed segment.
#include <cstddef>
#include <string>
#include <string_view>

namespace marlune {
struct Conversion;
struct Definition;
}  // namespace marlune

namespace marlune::compress {

class Compactor;

// How the fields of a line are taken: `lines` takes the runs of blank
// fields that the input block holds at once; `fields` reads and writes every
// field on its own, the reference the other is checked against. `run` is
// `lines`, going on with the lines after it that the block holds whole and
// whose tags the lookup remembers, as long as none of them is more than its
// line to the segment loop: the segment loop's way, for a loop with no
// observer.
enum class Path { lines, fields, run };

// Converts the uncompressed line of the segment whose tag has just been
// read (and with Path::run maybe the lines after it); returns the byte that
// follows the (last) line.
int to_compr(Conversion& conv, Compactor& compactor, const Definition& definition, Path path = Path::lines);

// Converts the line of a UNA segment: the complete service string advice of
// the output's level, written after whatever the compactor holds, then the
// segment end; returns the byte after the line.
int write_advice(Conversion& conv, Compactor& compactor, const Definition& definition);

// What is written of a field's text: `lead` (when not 0) and then the
// characters from `begin` to `end`. `forced` is the small value written
// by -f for an empty field (then also in `lead`).
struct Trimmed {
    std::size_t begin = 0;
    std::size_t end = 0;
    char lead = 0;
    char forced = 0;
};

// The fill of a field by its type: trailing blanks of "A" and "a", leading
// zeros, blanks and minus signs of "N" (one "0", or the sign, put back in
// front), nothing of "n".
Trimmed trim(std::string_view text, char type) noexcept;

// Converts one field value by its type, adds numeric values to the number
// total, and writes it through the compactor with its service characters
// released; returns what was written.
Trimmed prt_field(Conversion& conv, Compactor& compactor, std::string_view text, char type);

}  // namespace marlune::compress
