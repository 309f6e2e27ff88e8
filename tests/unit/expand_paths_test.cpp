// The expansion with runs of absent fields written at once against the
// reference that writes every absent field on its own: random layouts and
// segments (missing, surplus and empty components and elements, released
// characters, line ends, the end of the input), with and without the
// options that change what an absent field writes, input in blocks of every
// size.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "expand/read_tag.hpp"
#include "harness.hpp"
#include "text_definition.hpp"

namespace marlune::test {
namespace {

struct Setting {
    bool force = false, zero = false, total = false, header = false, level_b = false;
    std::size_t chunk = io::Input::BLOCK;
};

struct Result {
    std::string output, errors;
    std::vector<int> next;
    std::int64_t line = 0;
    std::string captured;
};

Result run(const std::vector<const Definition*>& segments, const std::string& input, const Setting& s,
           bool per_field) {
    Harness h(input, s.chunk);
    h.ctx.opt.force = s.force;
    h.ctx.opt.UNCOMPRESSED_ZERO = s.zero ? '0' : ' ';
    h.ctx.opt.DOCNTNUM = s.total;
    if (s.level_b) h.ctx.sep = Separators::level_b();
    Result r;
    for (const Definition* d : segments) {
        for (int t = 0; t < 3; ++t) h.in.FGETC();  // the tag
        r.next.push_back(expand::read_tag(h.ctx, *d, [&](Conversion& conv, const Definition& def) {
            if (s.header && def.tag() == "UNH") conv.msg.inUNH = 1;
            return expand::read_tag_cu(conv, def, per_field);
        }));
    }
    r.output = h.output();
    r.errors = h.errors();
    r.line = h.in.LINENO;
    r.captured = h.ctx.dir.DIREC + "|" + h.ctx.dir.MSTYPEVER;
    return r;
}

std::string random_layout(std::mt19937& rng) {
    const char* const tags[] = {"CNT", "MOA", "FTX", "UNH"};
    std::string text = std::string(tags[rng() % 4]) + "+";
    const int fields = 1 + static_cast<int>(rng() % 16);
    for (int f = 0; f < fields; ++f) {
        text += f == 0 || rng() % 2 ? '+' : ':';
        text += "AaNn"[rng() % 4];
        text += std::to_string(rng() % 6 == 0 ? 13 + rng() % 40 : 1 + rng() % 12);
    }
    return text + "'";
}

// A compressed segment (without its tag) for a level A or B separator set.
std::string random_segment(std::mt19937& rng, bool level_b) {
    const std::string sep = level_b ? std::string("\x1D\x1F\x1C") : std::string("+:'");
    static const std::string pieces[] = {"1",  "AB",   "0",    "-", "12.5", " ", "NUM", "\n", "\r\n", "XXXXXXXXXXXXXXX",
                                         "-7", "0042", "-0.5", "TEXT OF SEVENTEEN", "A LONGER TEXT OF THIRTY-ONE BYTES"};
    std::string s;
    const int n = static_cast<int>(rng() % 14);
    for (int k = 0; k < n; ++k) {
        const unsigned what = rng() % 10;
        if (what < 4) {
            s += sep[0];
        } else if (what < 7) {
            s += sep[1];
        } else if (!level_b && what == 7) {
            s += std::string("?") + "+:'?"[rng() % 4];
        } else {
            s += pieces[rng() % 15];
        }
    }
    return s + sep[2] + (rng() % 3 == 0 ? "\n" : "");
}

TEST(ExpansionPaths, RandomSegmentsAgreeWithTheReference) {
    std::mt19937 rng(1209);
    for (int round = 0; round < 4000; ++round) {
        Setting s;
        s.force = rng() % 6 == 0;
        s.zero = rng() % 6 == 0;
        s.total = rng() % 3 == 0;
        s.header = rng() % 4 == 0;
        s.level_b = rng() % 5 == 0;
        const std::size_t chunks[] = {io::Input::BLOCK, 1, 2, 7, 64};
        s.chunk = chunks[rng() % 5];
        std::vector<std::unique_ptr<TextDefinition>> layouts;
        std::vector<const Definition*> segments;
        std::string input;
        const int count = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < count; ++k) {
            layouts.push_back(std::make_unique<TextDefinition>(random_layout(rng)));
            segments.push_back(&layouts.back()->get());
            input += layouts.back()->get().tag();
            input += random_segment(rng, s.level_b);
        }
        if (rng() % 8 == 0) input.resize(rng() % (input.size() + 1));  // the input ends inside
        const Result fast = run(segments, input, s, false);
        const Result reference = run(segments, input, s, true);
        const std::string where = "round " + std::to_string(round) + ": " + input;
        EXPECT_EQ(fast.output, reference.output) << where;
        EXPECT_EQ(fast.errors, reference.errors) << where;
        EXPECT_EQ(fast.next, reference.next) << where;
        EXPECT_EQ(fast.line, reference.line) << where;
        EXPECT_EQ(fast.captured, reference.captured) << where;
        if (HasFailure()) return;
    }
}

// Enough segments for the output buffer to go out many times: values
// copied straight into it near its end take the same bytes as the
// reference, whatever room is left.
TEST(ExpansionPaths, ManySegmentsAcrossOutputBlocks) {
    std::mt19937 rng(91209);
    for (int round = 0; round < 20; ++round) {
        Setting s;
        s.level_b = round % 5 == 4;
        s.zero = round % 3 == 1;
        std::vector<std::unique_ptr<TextDefinition>> layouts;
        std::vector<const Definition*> segments;
        std::string input;
        for (std::size_t k = 0; k < 800 * io::Output::BLOCKS; ++k) {
            layouts.push_back(std::make_unique<TextDefinition>(random_layout(rng)));
            segments.push_back(&layouts.back()->get());
            input += layouts.back()->get().tag();
            input += random_segment(rng, s.level_b);
        }
        const Result fast = run(segments, input, s, false);
        const Result reference = run(segments, input, s, true);
        ASSERT_GT(fast.output.size(), 4 * io::Output::SIZE) << round;
        EXPECT_EQ(fast.output, reference.output) << round;
        EXPECT_EQ(fast.next, reference.next) << round;
        EXPECT_EQ(fast.line, reference.line) << round;
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace marlune::test
