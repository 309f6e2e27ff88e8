#include "driver/help.hpp"

#include "driver/version.hpp"

namespace marlune::driver {

namespace {

void wait_for_key(std::FILE* keys) { (void)std::fgetc(keys); }

constexpr const char* kUsage =
    "\n"
    "usage: marlune [ -ab -ba -au -bu -ua -ub ] [options] <file in> <file out>\n"
    "      -au   - compressed level a to uncompressed\n"
    "      -bu   - compressed level b to uncompressed\n"
    "      -ua   - uncompressed level a to compressed\n"
    "      -ub   - uncompressed level b to compressed\n"
    "      -ab   - compressed level a to compressed level b\n"
    "      -ba   - compressed level b to compressed level a\n"
    "\n";

constexpr const char* kOptions =
    "\n"
    "  options\n"
    "      -R    - remove Comments (applies to -ab/-ba only)\n"
    "      -I    - use interactive directory, if segment definition exists\n"
    "             in that directory\n"
    "      -D <d>- default to directory d\n"
    "      -f    - fill empty fields with a small value\n"
    "      -@    - add '@' at the end of a segment\n"
    "      -0    - use '0' instead of ' ' to fill empty\n"
    "              numeric fields in uncompressed format\n"
    "      -M    - add '^M' at the and of a segment (UNIX to MSDOS)\n"
    "              use this option if you don't use ASCII FTP\n"
    "      -num  - fill the CNT NUM segment of a message with the\n"
    "              count of all numbers in the message (UNH-UNT)\n"
    "      -n    - no newline after segment separator\n"
    "      -w    - Generate info about finding tags\n"
    "      -     - use stdin/stdout for <file in>/<file out>\n"
    "\n";

}  // namespace

void dirinfo(std::FILE* err, std::FILE* keys) {
    static constexpr const char* kRows[][7] = {
        {"88.1", "90.2"},
        {"91.1", "91.2", "92.1", "93.2", "D.93A", "S.93A"},
        {"D.94A", "D.94B", "D.95A", "D.95B", "D.96A", "D.96B", "I.96B"},
        {"D.97A", "I.97A", "D.97B", "I.97B"},
        {"D.98A", "I.98A", "D.98B", "I.98B"},
        {"D.99A", "I.99A"},
    };
    std::fputs("<enter> to continue...", err);
    wait_for_key(keys);
    std::fputs("supported directories:\n", err);
    for (const auto& row : kRows) {
        for (const char* name : row)
            if (name) std::fprintf(err, "%-8s", name);
        std::fputs("\n", err);
    }
}

void help_screens(std::FILE* err, std::FILE* keys) {
    std::fprintf(err,
                 "\n"
                 "marlune %s - EDIFACT level A/B and uncompressed converter, by the marlune developers\n"
                 "compiled version: %s\n"
                 "\n"
                 "Converts EDIfact levelA/B to uncompressed and vise-versa\n"
                 "\n"
                 "\n"
                 "<enter> to continue...",
                 kVersion, kBuildStamp);
    wait_for_key(keys);
    std::fputs(kUsage, err);
    wait_for_key(keys);
    std::fputs(kOptions, err);
    dirinfo(err, keys);
}

}  // namespace marlune::driver
