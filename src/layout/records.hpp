#pragma once
// The records that marlune -au (or -bu) writes for one interchange: the
// library's own conversion is run over the file, with its output thrown
// away, and the segment loop tells which row each segment is converted with.
// So the message headers, -D, -I and -X are followed exactly as a run of
// marlune follows them.
#include <cstdint>
#include <string>
#include <vector>

#include "layout/layout.hpp"

namespace marlune::directory {
struct Selection;
}
namespace marlune::io {
class Input;
}

namespace marlune::layout {

struct FileRecords {
    // One layout per row used, in the order of first use; each names the
    // table its row comes from.
    std::vector<SegmentLayout> segments;

    // Tags that the lookup resolved nowhere (marlune skips them), in the
    // order of first appearance.
    struct Unknown {
        std::string tag;
        std::int64_t line = 0;  // first line it was met on
        long count = 0;
    };
    std::vector<Unknown> unknown;

    // Releases of message headers that name no known directory: their
    // segments come from the default table.
    struct UnknownRelease {
        std::string release;
        std::int64_t line = 0;
    };
    std::vector<UnknownRelease> unknown_releases;
};

// Converts the open descriptor `fd` (quoted as `name` if a read fails) as
// marlune -au, or -bu with `level_b`, would, starting from the directory,
// -I and -X of `start`. Warnings of the conversion are not shown; a fatal
// condition of the conversion (a read error, a malformed segment) is thrown
// as FatalError.
FileRecords records_of(const directory::Selection& start, int fd, const std::string& name, bool level_b);

// The same over an input already set up (tests).
FileRecords records_of(const directory::Selection& start, io::Input& input, bool level_b);

}  // namespace marlune::layout
