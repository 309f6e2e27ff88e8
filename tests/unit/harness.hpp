#pragma once
// A whole conversion in memory: input from a string, output and standard
// error collected.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/context.hpp"
#include "driver/convert.hpp"

namespace marlune::test {

class Harness {
public:
    explicit Harness(std::string data, std::size_t chunk = io::Input::BLOCK)
        : data_(std::move(data)), in(data_, chunk), out(sink), err_(open_memstream(&err_buf_, &err_len_)),
          ctx(err_) {
        ctx.in = &in;
        ctx.out = &out;
    }
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;
    ~Harness() {
        std::fclose(err_);
        std::free(err_buf_);
    }

    // Runs a whole command over the input.
    void convert(driver::Command command) {
        driver::apply_command(ctx, command);
        driver::convert(ctx, command, in, out);
    }

    // Everything written so far, the output buffer included.
    std::string output() {
        out.CFLUSH();
        return sink.data();
    }
    std::string errors() {
        std::fflush(err_);
        return std::string(err_buf_, err_len_);
    }

private:
    std::string data_;

public:
    io::Input in;
    io::StringSink sink;
    io::Output out;

private:
    char* err_buf_ = nullptr;
    std::size_t err_len_ = 0;
    std::FILE* err_;

public:
    Context ctx;
};

inline std::string blanks(std::size_t n) { return std::string(n, ' '); }
inline std::string zeros(std::size_t n) { return std::string(n, '0'); }

}  // namespace marlune::test
