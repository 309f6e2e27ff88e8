#include "io/output.hpp"

#include "common/fatal.hpp"

namespace marlune::io {

void FileSink::write(const char* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
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

}  // namespace marlune::io
