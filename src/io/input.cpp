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
    BUFLEN = static_cast<std::int32_t>(read_into(FBUF.data(), BLOCK));
    return BUFLEN != 0;
}

std::string_view Input::peek(std::size_t n) {
    n = std::min(n, BLOCK);
    while (pending().size() < n && !ended_) {
        const std::size_t held = pending().size();
        std::memmove(FBUF.data(), FBUF.data() + INBUF, held);
        INBUF = 0;
        BUFLEN = static_cast<std::int32_t>(held + read_into(FBUF.data() + held, BLOCK - held));
    }
    return pending().substr(0, n);
}

std::size_t Input::read_into(char* to, std::size_t room) {
    if (ended_) return 0;
    ++reads_;
    std::size_t got = 0;
    if (fd_ >= 0) {
        ssize_t n;
        do {
            n = ::read(fd_, to, room);
        } while (n < 0 && errno == EINTR);
        if (n < 0) fatal("Couldn't read input file '%s'\n", name_.c_str());
        got = static_cast<std::size_t>(n);
    } else {
        got = std::min({chunk_, memory_.size(), room});
        if (got != 0) {
            std::memcpy(to, memory_.data(), got);
            memory_.remove_prefix(got);
        }
    }
    ended_ = got == 0;
    return got;
}

}  // namespace marlune::io
