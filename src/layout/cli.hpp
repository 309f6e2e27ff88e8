#pragma once
// The command line of marlune-layout:
//
//   marlune-layout [-I] [-D DIR] [--format text|csv|json|cobol] [--prefix TEXT] [TAG ...]
//   marlune-layout --for FILE [--level A|B] [-I] [-X] [-D DIR] [--format ...] [--prefix TEXT]
#include <cstdio>

namespace marlune::layout {

// Runs the program; the layouts go to `out`, messages to `err`. Returns the
// exit status: 0, or 1 after an unknown option, an unsupported directory, a
// tag that resolves nowhere (the other tags are still printed), a file that
// cannot be read, or output that could not be written.
int run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace marlune::layout
