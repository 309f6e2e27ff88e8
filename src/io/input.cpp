#include "io/input.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fatal.hpp"

namespace marlune::io {

std::uint64_t regular_file_remainder(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return NO_LIMIT;
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    if (offset < 0) return NO_LIMIT;
    return st.st_size > offset ? static_cast<std::uint64_t>(st.st_size - offset) : 0;
}

Input::Input(int fd, std::string name, std::uint64_t limit) : fd_(fd), left_(limit), name_(std::move(name)) {
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) block_ = PIPE_BLOCK;
    define_slack();
}

Input::Input(std::string_view data, std::size_t chunk)
    : memory_(data), chunk_(std::clamp<std::size_t>(chunk, 1, BLOCK)) {
    define_slack();
}

bool Input::refill() {
    BUFLEN = 0;
    INBUF = 0;
    if (ended_) return false;
    BUFLEN = static_cast<std::int32_t>(read_into(FBUF.data(), block_));
    define_slack();
    return BUFLEN != 0;
}

std::string_view Input::peek(std::size_t n) {
    n = std::min(n, block_);
    while (pending().size() < n && !ended_) {
        const std::size_t held = pending().size();
        std::memmove(FBUF.data(), FBUF.data() + INBUF, held);
        INBUF = 0;
        BUFLEN = static_cast<std::int32_t>(held + read_into(FBUF.data() + held, block_ - held));
        define_slack();
    }
    return pending().substr(0, n);
}

std::size_t Input::read_into(char* to, std::size_t room) {
    if (ended_) return 0;
    std::size_t got = 0;
    if (fd_ >= 0) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(room, left_));
        if (size != 0) {
            ++reads_;
            got = read_block(to, size);
            left_ -= got;
        }
    } else {
        ++reads_;
        got = std::min({chunk_, memory_.size(), room});
        if (got != 0) {
            std::memcpy(to, memory_.data(), got);
            memory_.remove_prefix(got);
        }
    }
    ended_ = got == 0;
    return got;
}

// One read of up to `size` bytes into `to`; a signal or a descriptor that
// has no data yet makes it wait and read again.
std::size_t Input::read_block(char* to, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, to, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait_for_data();
        } else if (errno != EINTR) {
            fatal("Couldn't read input file '%s'\n", name_.c_str());
        }
    }
}

// Waits until the descriptor has data, has reached its end or has failed;
// the read that follows tells which.
void Input::wait_for_data() {
    pollfd watched{fd_, POLLIN, 0};
    while (::poll(&watched, 1, -1) < 0) {
        if (errno != EINTR && errno != EAGAIN) fatal("Couldn't read input file '%s'\n", name_.c_str());
    }
}

}  // namespace marlune::io
