#pragma once
// One conversion over an opened input and output.
#include "driver/context.hpp"

namespace marlune::driver {

enum class Command { none, au, bu, ua, ub, ab, ba };

// Sets the separator set and direction flag of a command.
void apply_command(Context& ctx, Command command);

// Runs the conversion path of `command` to the end of the input and flushes
// the output buffer. Fatal conditions are thrown as FatalError, leaving what
// the output buffer still holds unwritten.
void convert(Context& ctx, Command command, io::Input& in, io::Output& out);

// Converts the segment whose tag has just been read under `definition`
// (expansion, or compression with the direction flag); returns the byte
// that follows it in the input.
int read_tag(Context& ctx, const Definition& definition);

// The segment loop of -au, -bu, -ua and -ub.
void segment_loop(Context& ctx);

}  // namespace marlune::driver
