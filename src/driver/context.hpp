#pragma once
// The state of one run. A run creates a fresh Context, so that a whole
// conversion can also be run in-process (tests, fuzzing).
#include <cstdio>

#include "compress/compactor.hpp"
#include "expand/conversion.hpp"

namespace marlune {

// Told by the segment loop what it makes of each tag it meets: the row a
// segment is converted with (before it is converted), or a tag that the
// lookup resolves nowhere. marlune-layout --for lists the records of a file
// this way; a run of marlune has none.
class SegmentObserver {
public:
    virtual ~SegmentObserver() = default;
    virtual void resolved(const char* window, directory::Resolution row) = 0;
    virtual void unknown(const char* window) = 0;
};

struct Context : Conversion {
    explicit Context(std::FILE* err_stream) : Conversion(err_stream) {}

    bool direction = false;  // -ua/-ub: uncompressed to compressed
    compress::Compactor compactor;
    SegmentObserver* observer = nullptr;
};

}  // namespace marlune
