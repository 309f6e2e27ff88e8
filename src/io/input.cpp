#include "io/input.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "common/fatal.hpp"

namespace marlune::io {

Input::Input(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

Input::Input(std::string_view data, std::size_t chunk)
    : memory_(data), chunk_(std::clamp<std::size_t>(chunk, 1, BLOCK)) {}

bool Input::refill() {
    BUFLEN = 0;
    INBUF = 0;
    if (ended_) return false;
    ++reads_;
    std::size_t got = 0;
    if (fd_ >= 0) {
        ssize_t n;
        do {
            n = ::read(fd_, FBUF.data(), BLOCK);
        } while (n < 0 && errno == EINTR);
        if (n < 0) fatal("Couldn't read input file '%s'\n", name_.c_str());
        got = static_cast<std::size_t>(n);
    } else {
        got = std::min(chunk_, memory_.size());
        if (got != 0) {
            std::memcpy(FBUF.data(), memory_.data(), got);
            memory_.remove_prefix(got);
        }
    }
    BUFLEN = static_cast<std::int32_t>(got);
    ended_ = got == 0;
    return got != 0;
}

}  // namespace marlune::io
