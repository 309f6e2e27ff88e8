#pragma once
// The state of one run. A run creates a fresh Context, so that a whole
// conversion can also be run in-process (tests, fuzzing).
#include <cstdio>

#include "compress/compactor.hpp"
#include "expand/conversion.hpp"

namespace marlune {

struct Context : Conversion {
    explicit Context(std::FILE* err_stream) : Conversion(err_stream) {}

    bool direction = false;  // -ua/-ub: uncompressed to compressed
    compress::Compactor compactor;
};

}  // namespace marlune
