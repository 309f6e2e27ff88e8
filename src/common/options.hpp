#pragma once
// Options of a conversion, set once from the command line and read where
// they apply. (-I and -w belong to the directory lookup.)

namespace marlune {

struct Options {
    bool force = false;            // -f
    bool REMOVE_COMMENTS = false;  // -R
    bool DOCNTNUM = false;         // -num
    char UNCOMPRESSED_ZERO = ' ';  // fill of empty numeric fields; '0' with -0
    int NONEWLINE = 0;             // -n: no line ends in the output
    bool STRICT = false;           // -S: a run that lost anything ends with status 1
};

}  // namespace marlune
