#pragma once
// Transliteration between syntax level A ("+", ":", "'", release "?") and
// syntax level B (0x1D, 0x1F, 0x1C, no release character), with the syntax
// identifier UNOA/UNOB rewritten in every UNB header.
#include "common/separators.hpp"
#include "io/input.hpp"
#include "io/output.hpp"

namespace marlune::translit {

// Level A to level B. `remove_comments` (-R) drops comment lines and empty
// lines. Returns the end-of-input status (non-zero).
int AB(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b);

// Level B to level A.
void BA(io::Input& in, io::Output& out, bool remove_comments, Separators a, Separators b);

}  // namespace marlune::translit
