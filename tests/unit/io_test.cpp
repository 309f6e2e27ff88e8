#include <gtest/gtest.h>

#include <string>

#include "io/input.hpp"
#include "io/output.hpp"

namespace marlune::io {
namespace {

TEST(Input, EndOfInputBeforeAndAfter) {
    Input in(std::string_view{});
    EXPECT_EQ(in.FEOF(), 1) << "nothing read yet";
    EXPECT_EQ(in.FGETC(), END_OF_INPUT);
    EXPECT_EQ(in.FEOF(), 1);
    EXPECT_EQ(in.FGETC(), END_OF_INPUT) << "stays at the end";
}

TEST(Input, SignedBytesAndLineCount) {
    const std::string data = "a\xE9\n\x1A" "b";
    Input in(data);
    EXPECT_EQ(in.FGETC(), 'a');
    EXPECT_EQ(in.FEOF(), 0);
    EXPECT_EQ(in.FGETC(), -23);
    EXPECT_EQ(in.LINENO, 1);
    EXPECT_EQ(in.FGETC(), '\n');
    EXPECT_EQ(in.LINENO, 2) << "counted when the line feed is delivered";
    EXPECT_EQ(in.FGETC(), 26);
    EXPECT_EQ(in.FEOF(), 0) << "a 0x1A byte in the data is an ordinary byte";
    EXPECT_EQ(in.FGETC(), 'b');
    EXPECT_EQ(in.FEOF(), 0) << "stays false after the last byte";
    EXPECT_EQ(in.FGETC(), END_OF_INPUT);
    EXPECT_EQ(in.FEOF(), 1);
}

// Block boundaries must not lose or repeat bytes, whatever the size of the
// reads (a pipe delivers short blocks).
TEST(Input, DeliversEveryByteAcrossBlocks) {
    for (std::size_t size : {std::size_t{16383}, std::size_t{16384}, std::size_t{16385}, std::size_t{40000}}) {
        for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, Input::BLOCK}) {
            std::string data(size, 'x');
            for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
            Input in(data, chunk);
            std::string got;
            for (;;) {
                const int c = in.FGETC();
                if (in.FEOF()) break;
                got.push_back(static_cast<char>(c));
            }
            EXPECT_EQ(got, data) << size << " bytes in chunks of " << chunk;
        }
    }
}

TEST(Output, NoNewlineDropsLineEnds) {
    StringSink sink;
    Output out(sink);
    out.NONEWLINE = 1;
    out.CPUTS("A\r\nB");
    out.CFLUSH();
    EXPECT_EQ(sink.data(), "AB");
}

TEST(Output, FlushesInBlocksOf16383) {
    StringSink sink;
    Output out(sink);
    for (int i = 0; i < 16383; ++i) out.CPUT('x');
    EXPECT_EQ(sink.data().size(), 0u) << "16,383 bytes stay in the buffer";
    out.CPUT('y');
    EXPECT_EQ(sink.data().size(), 16383u) << "the next byte writes them out first";
    EXPECT_EQ(out.CLEN, 1);
    out.CFLUSH();
    EXPECT_EQ(sink.data().size(), 16384u);
    EXPECT_EQ(sink.data().back(), 'y');
}

TEST(Output, NulBytesAreWrittenWithTheRest) {
    StringSink sink;
    Output out(sink);
    out.CPUTS(std::string_view("a\0b", 3));
    out.CFLUSH();
    EXPECT_EQ(sink.data(), std::string("a\0b", 3));
}

}  // namespace
}  // namespace marlune::io
