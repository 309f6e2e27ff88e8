#pragma once
// Fatal conditions end a run with status 1. Deep inside a conversion they are
// thrown as FatalError carrying the exact text for standard error; the caller
// of the conversion (main, a test, the fuzzer) decides what to do with it.
#include <stdexcept>
#include <string>

namespace marlune {

class FatalError : public std::runtime_error {
public:
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting into a std::string.
[[gnu::format(printf, 1, 2)]] std::string format(const char* fmt, ...);

// Throws FatalError with the formatted message.
[[noreturn, gnu::format(printf, 1, 2)]] void fatal(const char* fmt, ...);

}  // namespace marlune
