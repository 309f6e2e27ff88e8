#include "io/input.hpp"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
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

namespace {

// One read of up to `size` bytes into `to`; a signal or a descriptor that
// has no data yet (`wait` waits for it) makes it read again. -1 with errno
// set when the read fails.
template <class Wait>
ssize_t read_once(int fd, char* to, std::size_t size, Wait wait) {
    for (;;) {
        const ssize_t n = ::read(fd, to, size);
        if (n >= 0) return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait();
        } else if (errno != EINTR) {
            return -1;
        }
    }
}

}  // namespace

// Reads the blocks of a regular file one ahead of the run, on a thread of
// its own, into the buffer it is handed: while the run converts one block,
// the system copies the next. The run hands it a buffer (request), and later
// takes what was read into it (take); a read that delivers nothing, or
// fails, is the last. It reads no further than the limit it starts with,
// and reports the reads it made, so that the input counts them as its own.
class Input::ReadAhead {
public:
    struct Block {
        char* data = nullptr;
        std::size_t got = 0;   // 0: the end (or a failure)
        int error = 0;         // errno of a failed read
        std::uint64_t reads = 0;
    };

    ReadAhead(int fd, std::size_t block, std::uint64_t left)
        : fd_(fd), block_(block), left_(left), spare_(new char[block + SLACK]), thread_([this] { run(); }) {}
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;
    ~ReadAhead() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    // The buffer of its own it was made with (block + SLACK bytes).
    char* spare() const noexcept { return spare_.get(); }

    void request(char* into) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            into_ = into;
        }
        changed_.notify_all();
    }

    Block take() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return done_; });
        done_ = false;
        return block_read_;
    }

private:
    void run() {
        for (;;) {
            Block b;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return stop_ || into_ != nullptr; });
                if (stop_) return;
                b.data = std::exchange(into_, nullptr);
            }
            const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(block_, left_));
            if (size != 0) {
                ++b.reads;
                const ssize_t n = read_once(fd_, b.data, size, [this] {
                    pollfd watched{fd_, POLLIN, 0};
                    ::poll(&watched, 1, -1);
                });
                if (n < 0) {
                    b.error = errno;
                } else {
                    b.got = static_cast<std::size_t>(n);
                    left_ -= b.got;
                }
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                block_read_ = b;
                done_ = true;
            }
            changed_.notify_all();
            if (b.got == 0) return;
        }
    }

    const int fd_;
    const std::size_t block_;
    std::uint64_t left_;  // the thread's own once it runs
    std::unique_ptr<char[]> spare_;
    std::mutex mutex_;
    std::condition_variable changed_;
    char* into_ = nullptr;  // the buffer to read into next
    bool stop_ = false;
    bool done_ = false;     // block_read_ waits to be taken
    Block block_read_;
    std::thread thread_;    // last: it starts once the rest is made
};

Input::Input(int fd, std::string name, std::uint64_t limit)
    : fd_(fd), left_(limit), name_(std::move(name)) {
    FBUF = own_.data();
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        if (S_ISFIFO(st.st_mode)) block_ = PIPE_BLOCK;
        regular_ = S_ISREG(st.st_mode);
    }
    define_slack();
}

Input::Input(std::string_view data, std::size_t chunk)
    : memory_(data), chunk_(std::clamp<std::size_t>(chunk, 1, BLOCK)) {
    FBUF = own_.data();
    define_slack();
}

Input::~Input() = default;

bool Input::refill() {
    BUFLEN = 0;
    INBUF = 0;
    if (ended_) return false;
    if (ahead_) {
        // The block read ahead becomes the current one (what a peek left of
        // it first), and the one done with is read into next.
        char* const done = FBUF;
        if (carry_.length != 0) {
            std::memmove(carry_.base, carry_.base + carry_.at, carry_.length);
            FBUF = carry_.base;
            BUFLEN = static_cast<std::int32_t>(carry_.length);
            carry_ = {};
        } else {
            char* block = nullptr;
            BUFLEN = static_cast<std::int32_t>(next_ahead(block));
            if (BUFLEN != 0) FBUF = block;
        }
        if (!ended_) ahead_->request(done);
    } else {
        BUFLEN = static_cast<std::int32_t>(read_into(FBUF, block_));
        // A regular file that fills the first block is read ahead from
        // then on; a thread the system refuses leaves it to this one.
        if (regular_ && static_cast<std::size_t>(BUFLEN) == block_ && left_ != 0 && !ended_) {
            try {
                ahead_ = std::make_unique<ReadAhead>(fd_, block_, left_);
                ahead_->request(ahead_->spare());
            } catch (const std::exception&) {
                ahead_.reset();
            }
        }
    }
    define_slack();
    return BUFLEN != 0;
}

std::string_view Input::peek(std::size_t n) {
    n = std::min(n, block_);
    while (pending().size() < n && !ended_) {
        const std::size_t held = pending().size();
        std::memmove(FBUF, FBUF + INBUF, held);
        INBUF = 0;
        const std::size_t room = block_ - held;
        BUFLEN = static_cast<std::int32_t>(held + (ahead_ ? take_ahead(FBUF + held, room) : read_into(FBUF + held, room)));
        define_slack();
    }
    return pending().substr(0, n);
}

std::size_t Input::next_ahead(char*& block) {
    const ReadAhead::Block b = ahead_->take();
    reads_ += b.reads;
    if (b.error != 0) {
        errno = b.error;
        fatal("Couldn't read input file '%s'\n", name_.c_str());
    }
    left_ -= b.got;
    ended_ = b.got == 0;
    block = b.data;
    return b.got;
}

std::size_t Input::take_ahead(char* to, std::size_t room) {
    if (carry_.length == 0) {
        char* block = nullptr;
        const std::size_t got = next_ahead(block);
        if (got == 0) return 0;
        carry_ = {block, 0, got};
    }
    const std::size_t n = std::min(room, carry_.length);
    std::memcpy(to, carry_.base + carry_.at, n);
    carry_.at += n;
    carry_.length -= n;
    if (carry_.length == 0) {
        ahead_->request(carry_.base);
        carry_ = {};
    }
    return n;
}

std::size_t Input::read_into(char* to, std::size_t room) {
    if (ended_) return 0;
    std::size_t got = 0;
    if (fd_ >= 0) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(room, left_));
        if (size != 0) {
            ++reads_;
            const ssize_t n = read_once(fd_, to, size, [this] { wait_for_data(); });
            if (n < 0) fatal("Couldn't read input file '%s'\n", name_.c_str());
            got = static_cast<std::size_t>(n);
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

// Waits until the descriptor has data, has reached its end or has failed;
// the read that follows tells which.
void Input::wait_for_data() {
    pollfd watched{fd_, POLLIN, 0};
    while (::poll(&watched, 1, -1) < 0) {
        if (errno != EINTR && errno != EAGAIN) fatal("Couldn't read input file '%s'\n", name_.c_str());
    }
}

}  // namespace marlune::io
