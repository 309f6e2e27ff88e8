#pragma once
// What converting the segments of a run works with, in either direction:
// the options, the separator set, the directory in force, the message
// state, the input and output, and room for the value being converted.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/options.hpp"
#include "common/separators.hpp"
#include "directory/lookup.hpp"
#include "expand/message.hpp"
#include "expand/number.hpp"
#include "io/input.hpp"
#include "io/output.hpp"

namespace marlune {

struct Conversion {
    explicit Conversion(std::FILE* err_stream) : err(err_stream), dir(err_stream) { field.reserve(16386); }

    std::FILE* err;  // warnings and errors

    Options opt;
    Separators sep = Separators::level_a();  // in force
    Separators command_sep = Separators::level_a();  // the command's own, in force outside an advice's interchange
    bool advice = false;  // a service string advice set `sep` for the current interchange
    bool add_at = false;  // -@
    bool add_cr = false;  // -M

    directory::Selection dir;
    expand::MessageState msg;

    io::Input* in = nullptr;
    io::Output* out = nullptr;

    // Value of the field being converted.
    std::string field;
    // The value of a numeric field longer than its width, read as it streams.
    expand::NumberReader number;
    StopBytes<2> value_stops{'\n', '\r'};  // bytes that end a run of a value being read
    StopBytes<1> escape_bytes{'\0'};  // bytes of a value that are not written as they are

    // Values longer than their fields written by the expansion: the first
    // is reported as it is met, the total at the end of the run.
    std::int64_t long_values = 0;

    // Counts a warning that -S turns into a failed run (see
    // directory::Selection::loss_warnings).
    void loss_warning() noexcept { ++dir.loss_warnings; }

    std::int64_t LINENO() const noexcept { return in ? in->LINENO : 1; }
};

}  // namespace marlune
