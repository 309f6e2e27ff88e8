#pragma once
// Buffered byte output. Converted data is collected in CBUF and handed to the
// sink in blocks of at most 16,383 bytes; -n (NONEWLINE) drops every carriage
// return and line feed on the way in.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace marlune::io {

// Where the output blocks go. Called once per block, never per byte.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const char* data, std::size_t size) = 0;
};

// A C stream (standard output or the output file). A failed write ends the
// run with "Couldn't write output file '<name>'".
class FileSink final : public ByteSink {
public:
    FileSink(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}
    void write(const char* data, std::size_t size) override;
    // Flushes the stream and, unless it is standard output, closes it;
    // reports a failure like a failed write.
    void close();
    const std::string& name() const noexcept { return name_; }

private:
    std::FILE* file_;
    std::string name_;
};

// Collects everything in memory (tests, fuzzing).
class StringSink final : public ByteSink {
public:
    void write(const char* data, std::size_t size) override { data_.append(data, size); }
    const std::string& data() const noexcept { return data_; }

private:
    std::string data_;
};

class Output {
public:
    static constexpr std::size_t SIZE = 16384;

    explicit Output(ByteSink& sink) : sink_(sink) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void CPUT(int c) {
        const auto byte = static_cast<unsigned char>(c);
        if (NONEWLINE && (byte == 0x0A || byte == 0x0D)) return;
        if (CLEN > static_cast<std::int32_t>(SIZE) - 2) CFLUSH();
        CBUF[static_cast<std::size_t>(CLEN++)] = static_cast<char>(byte);
    }

    // A NUL-terminated text, byte by byte under the rules of CPUT.
    void CPUTS(const char* text) {
        while (*text) CPUT(*text++);
    }
    // The same for a text of known length (NUL bytes included).
    void CPUTS(std::string_view text) {
        for (char c : text) CPUT(c);
    }
    // `count` copies of one byte.
    void fill(char c, std::ptrdiff_t count) {
        for (; count > 0; --count) CPUT(c);
    }

    // Hands the buffered bytes to the sink and empties the buffer.
    void CFLUSH();

    int NONEWLINE = 0;
    std::int32_t CLEN = 0;

private:
    std::array<char, SIZE> CBUF{};
    ByteSink& sink_;
};

}  // namespace marlune::io
