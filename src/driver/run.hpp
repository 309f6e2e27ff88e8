#pragma once
#include <cstdio>

namespace marlune::driver {

// The whole program: command line, help screens, checks, files, summary and
// conversion. Returns the exit status. `keys` is where the help screens wait
// for a key (standard input).
int run(int argc, char** argv, std::FILE* keys, std::FILE* err);

}  // namespace marlune::driver
