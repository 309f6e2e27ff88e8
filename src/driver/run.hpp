#pragma once
#include <cstdio>

namespace marlune::driver {

// The whole program: command line, help screens, checks, files, summary and
// conversion. Returns the exit status. `keys` is where the help screens wait
// for a key (standard input).
int run(int argc, char** argv, std::FILE* keys, std::FILE* err);

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, in
// the mode that makes its use fail. False if that is impossible.
bool open_standard_descriptors();

}  // namespace marlune::driver
