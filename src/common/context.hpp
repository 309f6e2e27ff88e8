#pragma once
// The state of one conversion run. A run creates a fresh Context, so that a
// whole conversion can also be run in-process (tests, fuzzing).
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/separators.hpp"
#include "compress/compactor.hpp"
#include "expand/message.hpp"
#include "io/input.hpp"
#include "io/output.hpp"

namespace marlune {

// Options set once from the command line and read where they apply.
struct Options {
    bool force = false;            // -f
    bool GENFINDINFO = false;      // -w
    bool REMOVE_COMMENTS = false;  // -R
    bool INTERACTIVE = false;      // -I
    bool DOCNTNUM = false;         // -num
    char UNCOMPRESSED_ZERO = ' ';  // fill of empty numeric fields; '0' with -0
    int NONEWLINE = 0;             // -n: no line ends in the output
};

struct Context {
    explicit Context(std::FILE* err_stream) : err(err_stream) { field.reserve(16386); }

    std::FILE* err;  // warnings and errors

    Options opt;
    Separators sep = Separators::level_a();
    bool direction = false;  // -ua/-ub: uncompressed to compressed
    bool add_at = false;     // -@
    bool add_cr = false;     // -M

    // Directory index: -1 for 88.1, 0 (90.2) to 16 (D.99A), -2 for none.
    int _DIREC = 0;

    expand::MessageState msg;
    compress::Compactor compactor;

    io::Input* in = nullptr;
    io::Output* out = nullptr;

    // Value of the field being converted.
    std::string field;
    StopBytes value_stops{'\n'};   // bytes that end a run of a value being read
    StopBytes escape_bytes{'\0'};  // bytes of a value that are not written as they are

    std::int64_t LINENO() const noexcept { return in ? in->LINENO : 1; }
};

}  // namespace marlune
