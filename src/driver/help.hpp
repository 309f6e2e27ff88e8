#pragma once
#include <cstdio>

namespace marlune::driver {

// The help screens shown when the program is started without arguments:
// banner, usage and options, each followed by a wait for one byte of `keys`,
// and the directory list. All text goes to `err`.
void help_screens(std::FILE* err, std::FILE* keys);

// The list of supported directories, after a prompt and a wait.
void dirinfo(std::FILE* err, std::FILE* keys);

}  // namespace marlune::driver
