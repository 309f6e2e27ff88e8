#include "io/output.hpp"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "common/fatal.hpp"

namespace marlune::io {

void FileSink::write(const char* data, std::size_t size) {
    if (failed_) return;
    const int fd = fileno(file_);
    while (size != 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A non-blocking descriptor that is full: wait until it takes more.
            pollfd watched{fd, POLLOUT, 0};
            while (::poll(&watched, 1, -1) < 0) {
                if (errno != EINTR && errno != EAGAIN) fail();
            }
        } else if (n == 0 || errno != EINTR) {
            fail();
        }
    }
}

void FileSink::fail() {
    failed_ = true;
    fatal("Couldn't write output file '%s'\n", name_.c_str());
}

void FileSink::close() {
    std::FILE* file = file_;
    if (file == nullptr) return;
    const bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
    bool close_failed = false;
    if (file != stdout) {
        file_ = nullptr;
        close_failed = std::fclose(file) != 0;
    }
    if (failed || close_failed) fatal("Couldn't write output file '%s'\n", name_.c_str());
}

void Output::CFLUSH() {
    // Written with its exact length: a NUL byte in the data is data.
    const auto n = static_cast<std::size_t>(CLEN);
    CLEN = 0;
    sink_.write(CBUF.data(), n);
}

void Output::write_complete_blocks() {
    if (CLEN == 0) return;
    const std::size_t complete = (static_cast<std::size_t>(CLEN) - 1) / BLOCK * BLOCK;
    if (complete == 0) return;
    sink_.write(CBUF.data(), complete);
    CLEN -= static_cast<std::int32_t>(complete);
    std::memmove(CBUF.data(), CBUF.data() + complete, static_cast<std::size_t>(CLEN));
}

}  // namespace marlune::io
