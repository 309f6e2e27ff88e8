// The compression of a line a run of blank fields at a time against the
// reference that reads and writes every field on its own: random layouts and
// lines, every option that changes what a field writes, input delivered in
// blocks of every size, and the compactor's limit reached exactly and
// exceeded.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/fatal.hpp"
#include "compress/compactor.hpp"
#include "compress/to_compr.hpp"
#include "harness.hpp"
#include "text_definition.hpp"

namespace marlune::test {
namespace {

struct Setting {
    bool force = false;
    bool total = false;  // -num
    bool header = false; // the UNH line is converted
    bool level_b = false;
    bool at = false;     // -@
    bool cr = false;     // -M
    bool no_newline = false;  // -n
    std::size_t chunk = io::Input::BLOCK;
};

// What one path made of the input: everything observable.
struct Result {
    std::string output, errors, fatal, pending, unh;
    std::vector<int> next;
    double total = 0;
    int begin_alfa = 0, longest = 0;
    bool operator==(const Result&) const = default;
};

Result run(const std::vector<const Definition*>& lines, const std::string& input, const Setting& s,
           compress::Path path) {
    Harness h(input, s.chunk);
    h.ctx.direction = true;
    h.ctx.opt.force = s.force;
    h.ctx.opt.DOCNTNUM = s.total;
    h.ctx.msg.inUNH = s.header ? 1 : 0;
    h.ctx.add_at = s.at;
    h.ctx.add_cr = s.cr;
    h.out.NONEWLINE = s.no_newline ? 1 : 0;
    if (s.level_b) h.ctx.sep = Separators::level_b();
    h.in.LINENO = 2;
    Result r;
    try {
        for (const Definition* d : lines) {
            for (int t = 0; t < 3; ++t) h.in.FGETC();  // the tag
            r.next.push_back(compress::to_compr(h.ctx, h.ctx.compactor, *d, path));
        }
    } catch (const FatalError& e) {
        r.fatal = e.what();
    }
    r.pending = std::string(h.ctx.compactor.pending());
    r.begin_alfa = h.ctx.compactor.begin_alfa();
    r.longest = h.ctx.compactor.longest_pending();
    r.output = h.output();
    r.errors = h.errors();
    r.total = h.ctx.msg.cntnum;
    r.unh = h.ctx.dir.DIREC + "|" + h.ctx.dir.MSTYPEVER;
    return r;
}

void expect_same(const std::vector<const Definition*>& lines, const std::string& input, const Setting& s,
                 const std::string& where) {
    const Result fast = run(lines, input, s, compress::Path::lines);
    const Result reference = run(lines, input, s, compress::Path::fields);
    EXPECT_EQ(fast.output, reference.output) << where;
    EXPECT_EQ(fast.errors, reference.errors) << where;
    EXPECT_EQ(fast.fatal, reference.fatal) << where;
    EXPECT_EQ(fast.pending, reference.pending) << where;
    EXPECT_EQ(fast.next, reference.next) << where;
    EXPECT_EQ(fast.begin_alfa, reference.begin_alfa) << where;
    // The line writer does not follow the longest length, which serves the
    // limit alone (the overflow, compared above, fires at the same call):
    // it may stay below the reference's, never above it.
    EXPECT_LE(fast.longest, reference.longest) << where;
    EXPECT_EQ(fast.unh, reference.unh) << where;
    if (fast.total == fast.total) {
        EXPECT_EQ(fast.total, reference.total) << where;
    }
}

// A random layout: a tag (CNT now and then, for -num) and up to 24 fields.
std::string random_layout(std::mt19937& rng) {
    const char* const tags[] = {"CNT", "MOA", "FTX", "UNH"};
    std::string text = std::string(tags[rng() % 4]) + "+";
    const int fields = 1 + static_cast<int>(rng() % 24);
    for (int f = 0; f < fields; ++f) {
        text += f == 0 || rng() % 2 ? '+' : ':';
        text += "AaNn"[rng() % 4];
        text += std::to_string(rng() % 8 == 0 ? 1 + rng() % 600 : 1 + rng() % 20);
    }
    return text + "'";
}

// A value for a field of `width`: blank, blank fill around data, zeros and
// signs, service characters, a NUL, or longer than the field.
std::string random_value(std::mt19937& rng, std::size_t width) {
    static const std::string pieces[] = {"0", "-", " ", "1", "A", "+", ":", "'", "?", std::string(1, '\0'),
                                         "NUM", "\x1D", "\x1F", "\x1C", ".", "5"};
    std::string v;
    switch (rng() % 5) {
        case 0:
            return std::string(width, ' ');
        case 1:
            v = std::string(rng() % (width + 1), rng() % 2 ? '0' : ' ');
            break;
        default:
            break;
    }
    while (v.size() < width && rng() % 3 != 0) v += pieces[rng() % 16];
    if (rng() % 30 == 0) v += "XY";  // longer than the field: the next one begins inside it
    v.resize(std::max(v.size(), width), ' ');
    if (rng() % 2 && v.size() > width) v.resize(width);
    return v;
}

std::string random_line(std::mt19937& rng, const Definition& d) {
    std::string line;
    for (const Field& f : d.fields) line += random_value(rng, f.width);
    switch (rng() % 8) {
        case 0:  // cut short, blank tail removed
            line.resize(rng() % (line.size() + 1));
            break;
        case 1:  // longer than the layout
            line += "EXTRA";
            break;
        default:
            break;
    }
    if (line.size() > d.line_width - 3 && rng() % 2) line.resize(d.line_width - 3);
    switch (rng() % 4) {
        case 0:
            return line + "\r\n";
        default:
            return line + "\n";
    }
}

TEST(CompressionPaths, RandomLinesAgreeWithTheReference) {
    std::mt19937 rng(20261209);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::unique_ptr<TextDefinition>> layouts;
        std::vector<const Definition*> lines;
        std::string input;
        const int count = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < count; ++k) {
            layouts.push_back(std::make_unique<TextDefinition>(random_layout(rng)));
            lines.push_back(&layouts.back()->get());
            input += layouts.back()->get().tag();
            input += random_line(rng, *lines.back());
        }
        if (rng() % 10 == 0) input.pop_back();  // the last line without its line feed
        Setting s;
        s.force = rng() % 6 == 0;
        s.total = rng() % 3 == 0;
        s.header = rng() % 8 == 0;
        s.level_b = rng() % 5 == 0;
        s.at = rng() % 6 == 0;
        s.cr = rng() % 6 == 0;
        s.no_newline = rng() % 6 == 0;
        const std::size_t chunks[] = {io::Input::BLOCK, 1, 2, 7, 64, 333};
        s.chunk = chunks[rng() % 6];
        expect_same(lines, input, s, "round " + std::to_string(round) + ": " + input);
        if (HasFailure()) return;
    }
}

// Enough lines for the output buffer to go out many times, so that lines
// written in place meet every amount of room left in it, with and without
// -n (which keeps them from being written in place).
TEST(CompressionPaths, ManyLinesAcrossOutputBlocks) {
    std::mt19937 rng(51209);
    for (int round = 0; round < 12; ++round) {
        std::vector<std::unique_ptr<TextDefinition>> layouts;
        std::vector<const Definition*> lines;
        std::string input;
        for (std::size_t k = 0; k < 300 * io::Output::BLOCKS; ++k) {
            layouts.push_back(std::make_unique<TextDefinition>(random_layout(rng)));
            lines.push_back(&layouts.back()->get());
            input += layouts.back()->get().tag();
            input += random_line(rng, *lines.back());
        }
        Setting s;
        s.level_b = round % 4 == 3;
        s.no_newline = round % 3 == 1;
        s.at = round % 5 == 2;
        s.cr = round % 2 == 0;
        const Result fast = run(lines, input, s, compress::Path::lines);
        ASSERT_GT(fast.output.size(), 3 * io::Output::SIZE) << round;
        expect_same(lines, input, s, "round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

// Blank fields only: their separators are held until the segment ends.
// With `n` of them the pending text reaches n, then n + 1 with the
// terminator: 16,383 reach the limit exactly, one more exceeds it at the
// terminator, two more at the last separator (for component separators,
// which only an element separator or the terminator drops, the same), and
// the message names the line either way.
TEST(CompressionPaths, CompactorLimitReachedExactlyAndExceeded) {
    for (const std::size_t n : {16382u, 16383u, 16384u, 16385u, 20000u}) {
        for (const char lead : {'+', ':'}) {
            std::string text = "FTX+";
            for (std::size_t f = 0; f < n; ++f) text += std::string(1, f == 0 ? '+' : lead) + "A1";
            const TextDefinition d(text + "'");
            for (const std::size_t chunk : {io::Input::BLOCK, std::size_t{1000}}) {
                Setting s;
                s.chunk = chunk;
                const std::string input = "FTX" + std::string(n, ' ') + "\n";
                expect_same({&d.get()}, input, s, "n " + std::to_string(n) + " lead " + lead);
                const Result r = run({&d.get()}, input, s, compress::Path::lines);
                const bool over = n >= 16384;
                EXPECT_EQ(r.fatal, over ? "Out of bufferspace while printing segment at line 2\n" : "") << n;
                if (!over) {
                    EXPECT_EQ(r.output + r.pending, "FTX'\n");  // the line feed is held
                }
            }
        }
    }
}

// The counted call against one call per separator, from every state the
// held separators can be in.
TEST(CompressionPaths, CountedSeparatorsAreSeparateCalls) {
    std::mt19937 rng(7);
    const Separators sep = Separators::level_a();
    const char calls[] = {'+', ':', 'A', '?'};
    for (int round = 0; round < 2000; ++round) {
        io::StringSink sink_a, sink_b;
        io::Output out_a(sink_a), out_b(sink_b);
        compress::Compactor a, b;
        auto threw = [](auto&& call) {
            try {
                call();
            } catch (const FatalError& e) {
                return std::string(e.what());
            }
            return std::string();
        };
        bool over = false;
        for (int k = 0; k < 12 && !over; ++k) {
            const char c = calls[rng() % 4];
            std::string what_a, what_b;
            if (c == 'A' || c == '?') {
                what_a = threw([&] { a.put(out_a, 1, sep, c); });
                what_b = threw([&] { b.put(out_b, 1, sep, c); });
            } else {
                const std::size_t count = rng() % 4 == 0 ? rng() % 9000 : rng() % 5;
                what_a = threw([&] { a.put_separators(out_a, 1, sep, c, count); });
                what_b = threw([&] {
                    for (std::size_t i = 0; i < count; ++i) b.put_separator(out_b, 1, sep, c);
                });
            }
            ASSERT_EQ(what_a, what_b) << round;
            over = !what_a.empty();
            if (!over) {
                ASSERT_EQ(a.pending(), b.pending()) << round;
                ASSERT_EQ(a.begin_alfa(), b.begin_alfa()) << round;
                ASSERT_EQ(a.longest_pending(), b.longest_pending()) << round;
            }
        }
        out_a.CFLUSH();
        out_b.CFLUSH();
        EXPECT_EQ(sink_a.data(), sink_b.data()) << round;
    }
}

// A whole -ua or -ub run converts the lines that follow one another in the
// input block in one go; an observer, which sees every segment, makes the
// segment loop take them one at a time. Both must agree on everything:
// random interchanges of known and unknown segments, several messages of
// different releases, expanded with every line end the expansion writes,
// then damaged (lines cut short or made longer, line ends changed, bytes
// and comments put between lines), read in blocks of every size.
class EverySegment final : public SegmentObserver {
public:
    void resolved(const char*, directory::Resolution) override {}
    void unknown(const char*) override {}
};

struct RunOutcome {
    std::string output, errors, fatal;
    bool operator==(const RunOutcome&) const = default;
};

RunOutcome whole_run(const std::string& input, driver::Command command, std::size_t chunk, bool at, bool cr,
                     bool no_newline, bool one_at_a_time) {
    Harness h(input, chunk);
    EverySegment observer;
    if (one_at_a_time) h.ctx.observer = &observer;
    h.ctx.add_at = at;
    h.ctx.add_cr = cr;
    h.ctx.opt.NONEWLINE = no_newline ? 1 : 0;
    RunOutcome r;
    try {
        h.convert(command);
    } catch (const FatalError& e) {
        r.fatal = e.what();
    }
    r.output = h.output();
    r.errors = h.errors();
    return r;
}

std::string random_interchange(std::mt19937& rng, unsigned max_segments) {
    static const char* const values[] = {"", "A", "21", "PCE", "-12.5", "0", "FRAGILE ?+ STACK", "?:?'??", "4711",
                                         "X?'Y", "   LEAD", "NUM"};
    auto value = [&] { return std::string(values[rng() % 12]); };
    static const char* const messages[] = {"ORDERS:D:96A:UN", "INVOIC:D:93A:UN", "ORDERS:D:01B:UN", "PAYORD:S:93A:UN"};
    std::string text = "UNB+UNOA:1+SENDER+RECEIVER+961231:1200+1'";
    const int message_count = 1 + static_cast<int>(rng() % 3);
    for (int m = 0; m < message_count; ++m) {
        text += "UNH+" + std::to_string(m + 1) + "+" + messages[rng() % 4] + "'";
        const int segments = static_cast<int>(rng() % max_segments);
        for (int k = 0; k < segments; ++k) {
            switch (rng() % 9) {
                case 0: text += "BGM+220+" + value() + "+9'"; break;
                case 1: text += "DTM+137:" + value() + ":102'"; break;
                case 2: text += "FTX+AAI+++" + value() + ":" + value() + "'"; break;
                case 3: text += "NAD+BY+" + value() + "::9++" + value() + "'"; break;
                case 4: text += "LIN+" + value() + "++" + value() + ":SRS'"; break;
                case 5: text += "QTY+21:" + value() + ":PCE'"; break;
                case 6: text += "MOA+203:" + value() + ":EUR'"; break;
                case 7: text += "CNT+2:" + value() + "'"; break;
                default: text += "XYZ+" + value() + "'"; break;  // known nowhere
            }
        }
        text += "UNT+" + std::to_string(segments + 2) + "+" + std::to_string(m + 1) + "'";
    }
    return text + "UNZ+" + std::to_string(message_count) + "+1'";
}

// Damages some of the lines of an expansion, the way hand-edited files are.
std::string damage(std::mt19937& rng, const std::string& lines) {
    std::string out;
    std::size_t begin = 0;
    while (begin < lines.size()) {
        std::size_t end = lines.find('\n', begin);
        end = end == std::string::npos ? lines.size() : end + 1;
        std::string line = lines.substr(begin, end - begin);
        begin = end;
        const std::size_t line_end = line.find_first_of("@\r\n");
        switch (line_end == std::string::npos ? 24 : rng() % 24) {
            case 0:  // cut short
                line = line.substr(0, rng() % line.size()) + "\n";
                break;
            case 1:  // longer than its layout
                line.insert(line_end, "EXTRA");
                break;
            case 2:  // other line ends
                line.replace(line_end, std::string::npos, rng() % 2 ? "\r\n" : "@\n");
                break;
            case 3:  // something between the lines
                out += rng() % 2 ? "; a comment\n" : "\n";
                break;
            case 4:  // a byte of the line changed
                line[rng() % line.size()] = "+:'?\n\r@ X"[rng() % 10];
                break;
            default:
                break;
        }
        out += line;
    }
    return out;
}

TEST(CompressionPaths, LinesInARowAgreeWithOneAtATime) {
    std::mt19937 rng(91209);
    for (int round = 0; round < 410; ++round) {
        const bool level_b = round % 4 == 3;
        // The last rounds long enough for the output buffer to go out many
        // times, so that lines in a row meet every amount of room left in it.
        Harness expansion(random_interchange(rng, round < 400 ? 40 : 40000));
        expansion.ctx.add_at = rng() % 4 == 0;
        expansion.ctx.add_cr = rng() % 4 == 0;
        expansion.convert(driver::Command::au);
        std::string lines = expansion.output();
        if (round % 2 == 1) lines = damage(rng, lines);
        const std::size_t chunks[] = {io::Input::BLOCK, 1, 7, 64, 333, 4096};
        const std::size_t chunk = chunks[rng() % 6];
        const bool at = rng() % 5 == 0, cr = rng() % 5 == 0, no_newline = rng() % 6 == 0;
        const driver::Command command = level_b ? driver::Command::ub : driver::Command::ua;
        const RunOutcome in_a_row = whole_run(lines, command, chunk, at, cr, no_newline, false);
        const RunOutcome reference = whole_run(lines, command, chunk, at, cr, no_newline, true);
        if (round >= 400) {
            ASSERT_GT(reference.output.size(), 3 * io::Output::SIZE) << round;
        }
        ASSERT_EQ(in_a_row, reference) << "round " << round << ", chunk " << chunk << ":\n" << lines << "\n"
                                       << in_a_row.output << "\n" << in_a_row.errors << "\n---\n"
                                       << reference.output << "\n" << reference.errors;
    }
}

}  // namespace
}  // namespace marlune::test
