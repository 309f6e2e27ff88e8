#include "compress/to_compr.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>


#include "common/advice.hpp"
#include "common/definition.hpp"
#include "compress/compactor.hpp"
#include "compress/fill.hpp"
#include "compress/nonblank.hpp"
#include "directory/lookup.hpp"
#include "expand/conversion.hpp"
#include "expand/message.hpp"
#include "io/input.hpp"

namespace marlune::compress {

namespace {

// What goes in front of a numeric value once its fill (leading zeros,
// blanks and minus signs) is removed: a "-" among the fill is the sign of
// what is left; a field of only zeros keeps one "0"; a field of fill alone
// that began with "-" (`first`) keeps that "-". `fill_alone`: the fill is the
// whole field.
char numeric_lead(const NumericFill& fill, bool fill_alone, char first) noexcept {
    if (fill_alone) return fill.zero ? '0' : first == '-' ? '-' : 0;
    return fill.minus ? '-' : 0;
}

}  // namespace

Trimmed trim(std::string_view text, char type) noexcept {
    if (type == 'N') {
        const NumericFill fill = numeric_fill(text);
        const bool fill_alone = fill.length == text.size();
        return {fill.length, text.size(), numeric_lead(fill, fill_alone, text.empty() ? 0 : text[0])};
    }
    if (type == 'n') {
        // Written as it stands, unless it holds nothing but blanks: then it
        // is empty.
        return {0, without_trailing_blanks(text) == 0 ? 0 : text.size(), 0};
    }
    return {0, without_trailing_blanks(text), 0};
}

namespace {

// Writes the fields of one segment through the compactor, with what every
// field needs looked up once: the separators, the bytes to release and the
// line quoted if the compactor overflows.
class FieldWriter {
public:
    FieldWriter(Conversion& ctx, Compactor& compactor)
        : ctx_(ctx),
          compactor_(compactor),
          out_(*ctx.out),
          sep_(ctx.sep),
          escape_(ctx.escape_bytes),
          line_(ctx.LINENO()),
          count_(ctx.opt.DOCNTNUM) {
        ctx.escape_bytes.of(sep_);
    }

    void put(char c) { compactor_.put(out_, line_, sep_, c); }
    void put_separator(char c) { compactor_.put_separator(out_, line_, sep_, c); }
    void put_separators(char c, std::size_t count) {
        if (count == 1) {
            compactor_.put_separator(out_, line_, sep_, c);
        } else {
            compactor_.put_separators(out_, line_, sep_, c, count);
        }
    }
    void line_changed() noexcept { line_ = ctx_.LINENO(); }

    Trimmed field(std::string_view text, char type) {
        // The number total is only ever written by -num: without it the
        // values are not read as numbers.
        double& cntnum = ctx_.msg.cntnum;
        if (count_ && (type == 'N' || type == 'n')) cntnum += expand::numeric_value(text);

        Trimmed t = trim(text, type);
        const std::string_view data = text.substr(t.begin, t.end - t.begin);
        if (ctx_.opt.force && t.lead == 0 && data.empty()) {
            // -f: an empty field is written as a small value.
            const bool number = type == 'N' || type == 'n';
            t.forced = t.lead = number ? '1' : '-';
            if (number) cntnum += 1;
        }
        if (t.lead != 0) compactor_.put_data(out_, line_, sep_, std::string_view(&t.lead, 1));

        // Data runs go to the compactor whole; a service character is
        // released (at level B, where there is no release character, it is
        // dropped), a NUL contributes nothing.
        for (std::size_t i = 0; i < data.size();) {
            const std::size_t end = i + escape_.run_length(data.substr(i));
            if (end != i) {
                compactor_.put_data(out_, line_, sep_, data.substr(i, end - i));
                i = end;
                continue;
            }
            if (data[i] == '\0') {
                compactor_.put(out_, line_, sep_, '\0');
            } else {
                compactor_.put_pair(out_, line_, sep_, static_cast<char>(sep_.release), data[i]);
            }
            ++i;
        }
        return t;
    }

private:
    Conversion& ctx_;
    Compactor& compactor_;
    io::Output& out_;
    const Separators sep_;
    const StopBytes<1>& escape_;
    std::int64_t line_;
    const bool count_;
};

}  // namespace

Trimmed prt_field(Conversion& conv, Compactor& compactor, std::string_view text, char type) {
    return FieldWriter(conv, compactor).field(text, type);
}

namespace {

// The field's text as the header capture sees it: what was read, with the
// fill that prt_field removed in front of a numeric value shown as blanks,
// or the small value of -f.
std::string processed(std::string_view text, const Trimmed& t) {
    if (t.forced != 0) return std::string(1, t.forced);
    std::string out(text);
    const std::size_t blanks = t.lead != 0 ? t.begin - 1 : t.begin;
    std::fill_n(out.begin(), blanks, ' ');
    if (t.lead != 0) out[blanks] = t.lead;
    return out;
}

}  // namespace

namespace {

// What ended the reading of a line before its last field was read whole.
enum class Stop {
    none,       // nothing: the fields are read by their widths
    line_end,   // its line end: a line feed, or a carriage return and a line feed
    input_end,  // the end of the input
};

bool line_feed_follows(io::Input& in) { return in.peek(1) == "\n"; }

// Reads up to `width` bytes of a field that the input block does not hold
// whole into `field`, a byte at a time (this happens once a block). A line
// end stops it: `after` receives its first byte, which is read, and the line
// feed of a carriage return and line feed is left to be read.
Stop read_field(io::Input& in, std::size_t width, std::string& field, int& after) {
    field.clear();
    while (field.size() < width) {
        const int c = in.FGETC();
        if (in.FEOF()) return Stop::input_end;
        if (c == '\n' || (c == '\r' && line_feed_follows(in))) {
            after = c;
            return Stop::line_end;
        }
        field.push_back(static_cast<char>(c));
    }
    return Stop::none;
}

// After the last field of a line, where its line end should be: a line
// that goes on is longer than its layout. In an input with line ends (a
// line feed came before this line), the rest of the line is passed over up
// to its line feed, which is returned, and reported with the number of
// characters before its line end ("@", carriage return and line feed, as
// the expansion writes them). `next` is the byte after the last field.
int report_excess(Conversion& ctx, const Definition& definition, int next);

inline int pass_over_excess(Conversion& ctx, const Definition& definition, int next) {
    const io::Input& in = *ctx.in;
    if (next == '\n' || next == '\r' || next == '@' || in.FEOF() || in.LINENO == 1) return next;
    return report_excess(ctx, definition, next);
}

// pass_over_excess() of a line that goes on.
[[gnu::noinline]] int report_excess(Conversion& ctx, const Definition& definition, int next) {
    io::Input& in = *ctx.in;
    const std::int64_t line = in.LINENO;
    long long excess = 0;
    char tail[2] = {0, 0};  // the last two bytes passed over
    auto pass = [&](std::string_view bytes) {
        excess += static_cast<long long>(bytes.size());
        for (const char c : bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 2))) {
            tail[0] = tail[1];
            tail[1] = c;
        }
    };
    for (char c = static_cast<char>(next);;) {
        pass(std::string_view(&c, 1));
        const std::string_view ready = in.pending();
        const void* line_feed = std::memchr(ready.data(), '\n', ready.size());
        const std::size_t n =
            line_feed ? static_cast<std::size_t>(static_cast<const char*>(line_feed) - ready.data()) : ready.size();
        pass(ready.substr(0, n));
        in.consume(n);
        next = in.FGETC();  // the line feed, or the first byte of the next block
        if (in.FEOF() || next == '\n') break;
        c = static_cast<char>(next);
    }
    if (tail[1] == '\r') {
        --excess;
        tail[1] = tail[0];
    }
    if (tail[1] == '@' && excess > 0) --excess;
    std::fprintf(ctx.err, "Warning: line %lld is longer than the layout of %.3s (%lld characters not converted)\n",
                 static_cast<long long>(line), definition.text, excess);
    ctx.loss_warning();
    return next;
}

// What whole_line() returns for a line that takes the general way: no byte
// value, nor the end of the input.
constexpr int GENERAL = -1000;

static_assert(io::Input::SLACK >= NonBlank::READS_PAST && io::Input::SLACK >= ShortNonBlank::READS_PAST,
              "a line is marked in words read from its input block");

// Room for every character a line of `definition` can hand over: the tag,
// a separator a field, every character released, the segment's end.
std::size_t line_bound(const Definition& definition) noexcept {
    return 3 + definition.fields.size() + 2 * (definition.line_width - 3) + 4;
}

// Whether the `width` bytes of a line at `text` (the block holds them and
// READS_PAST after them, and `more` bytes in all from `text` on) are its
// fields: no line feed among them (they are marked into `marks`), nor a
// carriage return and line feed right after the last but one.
template <class Marks>
bool fields_stand_whole(Marks& marks, const char* text, std::size_t width, std::size_t more) noexcept {
    if (marks.mark(text, width)) return false;
    return !(width != 0 && text[width - 1] == '\r' && more > width && text[width] == '\n');
}

// The bytes between two lines that the segment loop would read one at a
// time before it met the next tag: the line end (a line feed, after a
// carriage return, after an "@" that the expansion's -@ wrote). Their
// length, or 0 where `rest` does not begin with one.
std::size_t line_end_length(std::string_view rest) noexcept {
    std::size_t n = 0;
    if (n < rest.size() && rest[n] == '@') ++n;
    if (n < rest.size() && rest[n] == '\r') ++n;
    return n < rest.size() && rest[n] == '\n' ? n + 1 : 0;
}

// The marks of the line being written: in one word where it is short.
struct LineMarks {
    NonBlank wide;
    ShortNonBlank narrow;
    bool is_short = false;

    // fields_stand_whole() into the marks that fit the width.
    bool of(const char* text, std::size_t width, std::size_t more) noexcept {
        is_short = width <= ShortNonBlank::WIDEST;
        return is_short ? fields_stand_whole(narrow, text, width, more) : fields_stand_whole(wide, text, width, more);
    }
};

// A tag whose segment is more than its line to the segment loop: the
// message header, the advice and the segments around them (U..), and CNT,
// whose number total the loop marks.
bool plain_segment(const Definition& definition) noexcept {
    return definition.text[0] != 'U' && definition.tag() != "CNT";
}

// Writes the line of `definition` whose fields are the `width` bytes at
// `text`, marked into `marks`, through `line`: its tag, its values from
// the marks (the blank fields between them cost only their separators),
// its segment end and line end. `escape`: the escape bytes of `sep`, the
// separators in force.
template <class Marks>
[[gnu::always_inline]] inline void write_line(Conversion& ctx, Compactor::Line& line, Separators sep,
                                             const StopBytes<1>& escape, const Definition& definition,
                                             const char* text, std::size_t width, const Marks& marks) {
    auto separator = [&](const Field& f) __attribute__((always_inline)) {
        if (f.lead == '+') {
            line.element(static_cast<char>(sep.element));
        } else {
            line.component(static_cast<char>(sep.component));
        }
    };
    // A short line's service characters are found for the whole line at
    // once, a bit each, as its marks are (the bytes past its width, up to
    // the last chunk, count for nothing: no value reaches them).
    constexpr bool whole_line_stops = Marks::WIDEST < 64;
    std::uint64_t stops_of_line = 0;
    if constexpr (whole_line_stops) {
        for (std::size_t k = 0; 16 * k < width; ++k) {
            stops_of_line |= std::uint64_t{escape.stops16(text + 16 * k)} << (16 * k);
        }
    }
    line.data(definition.text, 3);
    const Field* f = definition.fields.data();
    const Field* const last = f + definition.fields.size();
    std::size_t at = 0;  // where field f begins
    for (std::size_t first_byte = marks.next(0); first_byte < width; ++f) {
        // The blank fields before the one that holds the byte at
        // `first_byte`, then that field's value.
        std::size_t end = at + f->width;
        for (; end <= first_byte; end = at + f->width) {
            separator(*f);
            at = end;
            ++f;
        }
        separator(*f);
        // What is written of the field: from `begin` to `stop`, after
        // `lead` where it is not 0.
        std::size_t begin = at, stop = end;
        char lead = 0;
        if (f->type == 'N') {
            // Its fill goes, as trim() takes it; the blanks before
            // `first_byte` are fill.
            const NumericFill fill =
                numeric_fill_padded(std::string_view(text + first_byte, end - first_byte));
            begin = first_byte + fill.length;
            lead = numeric_lead(fill, begin == end, text[at]);
            if (lead != 0) line.single(lead);
        } else if (f->type != 'n') {
            // Without its trailing blanks ("n" is written as it stands,
            // blanks and all).
            stop = marks.end_before(end);
        }
        // Runs of data, each service character released (or, at level
        // B, dropped), a NUL nothing. The service characters of a longer
        // line are found sixteen bytes at a time, every one of a chunk
        // from its one mask.
        const char* run = text + begin;  // where the run of data being gathered began
        const char* const value_end = text + stop;
        auto service_character = [&](const char* hit) __attribute__((always_inline)) {
            if (hit != run) line.data(run, static_cast<std::size_t>(hit - run), true);
            if (*hit != '\0' && sep.release != 0) line.pair(static_cast<char>(sep.release), *hit);
            run = hit + 1;
        };
        if constexpr (whole_line_stops) {
            const std::uint64_t value = ((std::uint64_t{1} << stop) - 1) & ~((std::uint64_t{1} << begin) - 1);
            for (std::uint64_t stops = stops_of_line & value; stops != 0; stops &= stops - 1) {
                service_character(text + __builtin_ctzll(stops));
            }
        } else {
            for (const char* chunk = run; chunk < value_end; chunk += 16) {
                for (unsigned stops = escape.stops16(chunk); stops != 0; stops &= stops - 1) {
                    const char* const hit = chunk + __builtin_ctz(stops);
                    if (hit >= value_end) break;  // past the value: its last chunk
                    service_character(hit);
                }
            }
        }
        if (run < value_end) line.data(run, static_cast<std::size_t>(value_end - run), true);
        first_byte = marks.next(end);
        at = end;
    }
    // The rest of the line is blank.
    if (f != last) line.separators_before_terminator(*f);
    if (ctx.msg.inUNH) {
        // The message header: its third and fourth fields (the version
        // and release of the message) choose the directory.
        const std::span<const Field> fields = definition.fields;
        for (std::size_t k = 2; k < 4 && k < fields.size(); ++k) {
            const std::string_view field(text + (fields[k].column - 4), fields[k].width);
            expand::capture_unh(ctx, static_cast<int>(k + 1), processed(field, trim(field, fields[k].type)));
        }
    }
    line.terminator(static_cast<char>(sep.terminator));
    if (ctx.add_at) line.single('@');
    if (ctx.add_cr) line.single('\r');
    line.single('\n');
}

// The line after the one just written, where it can follow it in the same
// Line (see whole_line()): its definition, with its line end and tag read
// as the segment loop reads them and its fields marked into `marks`; or
// nullptr, with nothing read. `selection`: the directory's, for the lookup.
[[gnu::always_inline]] inline const Definition* following_line(Conversion& ctx, const Compactor::Line& line,
                                                             LineMarks& marks, std::uint64_t selection) {
    io::Input& in = *ctx.in;
    const std::string_view rest = in.pending();
    const std::size_t skip = line_end_length(rest);
    if (skip == 0 || rest.size() < skip + 3) return nullptr;
    const auto code = directory::tag_code(rest.data() + skip);
    if (!code) return nullptr;
    const directory::Selection::Remembered* const slot = directory::remembered(ctx.dir, *code, selection);
    if (slot == nullptr || slot->definition == nullptr || !plain_segment(*slot->definition)) return nullptr;
    const Definition& next = *slot->definition;
    const std::size_t width = next.line_width - 3;
    const std::string_view ready = rest.substr(skip + 3);
    if (ready.size() < width || width > NonBlank::WIDEST) return nullptr;
    if (!line.takes_next(line_bound(next))) return nullptr;
    if (!marks.of(ready.data(), width, ready.size())) return nullptr;
    in.consume(skip + 3);
    ++in.LINENO;
    // What the segment loop sets for every segment (the number total's
    // mark is for CNT alone).
    ctx.msg.INCNTNUM = 0;
    return &next;
}

// The line of `definition` in one go, when the input block holds all of
// its fields and no field needs more than its blank test, its trim and its
// releases: no -f, no -num. The bytes of the line
// that are not blanks are marked first, so that the values are found from
// the marks and the blank fields between them cost only their separators;
// the compactor takes the line with its state held in locals, and the line
// is written into the output buffer in place where it has the room.
//
// With `follow`, the lines after it go the same way in the same go, as
// long as each stands whole in the block right after the line end, its
// tag is one the lookup remembers, and neither it nor the line before it
// is more to the segment loop than its line (plain_segment()): exactly
// what the segment loop would do with them, without the loop's work
// between lines.
//
// Returns the byte after the (last) line, or GENERAL when the line takes
// the general way.
[[gnu::always_inline]] inline int whole_line(Conversion& ctx, Compactor& compactor, const Definition& first,
                                             bool follow) {
    io::Input& in = *ctx.in;
    const Separators sep = ctx.sep;
    const Definition* definition = &first;
    std::size_t width = definition->line_width - 3;
    const std::string_view ready = in.pending();
    if (ready.size() < width || width > NonBlank::WIDEST) return GENERAL;
    const std::size_t bound = line_bound(*definition);
    if (!compactor.takes_line(bound)) return GENERAL;
    if (sep != Separators::level_a() && sep != Separators::level_b()) {
        for (const int end : {'@', '\r', '\n'})
            if (sep.separates(end) || end == sep.release) return GENERAL;
    }
    const char* text = ready.data();
    LineMarks marks;
    if (!marks.of(text, width, ready.size())) return GENERAL;

    // A tag (three upper-case letters) that would need releases (an advice
    // made a letter a separator) takes the general way.
    ctx.escape_bytes.of(sep);
    const StopBytes<1>& escape = ctx.escape_bytes;
    if (!escape.letters_pass()) return GENERAL;
    // Lines follow a line that is no more than its line to the segment
    // loop, and with no -w trace to write; none of them changes the
    // selection of the directory.
    follow = follow && plain_segment(first) && !ctx.dir.GENFINDINFO;
    const std::uint64_t selection = follow ? directory::selection_key(ctx.dir) : 0;
    {
        Compactor::Line line(compactor, *ctx.out, bound);
        for (;;) {
            if (marks.is_short) {
                write_line(ctx, line, sep, escape, *definition, text, width, marks.narrow);
            } else {
                write_line(ctx, line, sep, escape, *definition, text, width, marks.wide);
            }
            in.consume(width);
            if (!follow) break;

            const Definition* const next = following_line(ctx, line, marks, selection);
            if (next == nullptr) break;
            definition = next;
            width = definition->line_width - 3;
            text = in.pending().data();
        }
        line.finish();
    }
    return pass_over_excess(ctx, *definition, in.FGETC());
}


// The line a field at a time: every line that whole_line() does not take,
// and all of them on the reference path.
[[gnu::noinline]] int field_by_field(Conversion& ctx, Compactor& compactor, const Definition& definition, Path path) {
    io::Input& in = *ctx.in;
    const Separators sep = ctx.sep;
    const bool cnt = definition.tag() == "CNT";
    std::string& copy = ctx.field;
    const std::span<const Field> fields = definition.fields;
    auto separator_of = [&](const Field& f) {
        return static_cast<char>(f.lead == '+' ? sep.element : sep.component);
    };

    FieldWriter writer(ctx, compactor);
    writer.field(definition.tag(), 'A');

    // A line end (or the end of the input) inside the fields ends the line:
    // the field being read ends there and every later field is empty.
    Stop stop = Stop::none;
    int after = 0;             // the line end's first byte, once it has been read
    bool total_next = false;   // the next field receives the number total
    std::size_t clear = 0;     // bytes of the line ready in the input block
    bool end_ready = false;    // ... up to its line end, which is in the block
    std::size_t blanks = 0;    // blanks known to begin the ready bytes
    // A blank field, or one after the line's end, writes nothing but its
    // separator, unless -f fills it or it counts for the message header or
    // the number total. Where the block holds such fields, they are taken a
    // run at a time: found by a scan for the next byte that is not a blank,
    // their separators handed to the compactor counted.
    const bool skip_blanks = path != Path::fields && !ctx.opt.force && !ctx.msg.inUNH;
    // Writes the separators of fields [first, last), a run of equal ones at a time.
    auto separators = [&](std::size_t first, std::size_t last) {
        while (first < last) {
            std::size_t same = first + 1;
            while (same < last && fields[same].lead == fields[first].lead) ++same;
            writer.put_separators(separator_of(fields[first]), same - first);
            first = same;
        }
    };
    int fieldno = 0;
    for (std::size_t f = 0; f < fields.size();) {
        const Field& specifier = fields[f];
        const char type = specifier.type;
        const std::size_t width = specifier.width;

        std::string_view text;  // empty once the line has ended
        if (stop == Stop::none) {
            if (clear < width) {
                // How far the input holds the line ready: up to its line end
                // (a line feed, and a carriage return right before it) or
                // the end of the block, found once for the fields that fit.
                const std::string_view ready = in.pending();
                const void* line_feed = std::memchr(ready.data(), '\n', ready.size());
                end_ready = line_feed != nullptr;
                clear = end_ready ? static_cast<std::size_t>(static_cast<const char*>(line_feed) - ready.data())
                                  : ready.size();
                if (end_ready && clear != 0 && ready[clear - 1] == '\r') --clear;
            }
            if (clear >= width) {
                // The field is read where it stands.
                if (skip_blanks && !total_next) {
                    if (blanks < width) blanks = leading_blanks(in.pending().substr(0, clear));
                    if (blanks >= width) {
                        std::size_t last = f, taken = 0;
                        for (; last < fields.size() && taken + fields[last].width <= blanks; ++last) {
                            taken += fields[last].width;
                        }
                        separators(f, last);
                        in.consume(taken);
                        clear -= taken;
                        blanks -= taken;
                        fieldno += static_cast<int>(last - f);
                        f = last;
                        continue;
                    }
                }
                text = in.pending().substr(0, width);
                in.consume(width);
                clear -= width;
                blanks -= std::min(blanks, width);
            } else if (end_ready) {
                // The line ends inside this field.
                text = in.pending().substr(0, clear);
                in.consume(clear);
                after = in.FGETC();
                stop = Stop::line_end;
                writer.line_changed();
            } else {
                stop = read_field(in, width, copy, after);
                writer.line_changed();
                text = copy;
                clear = blanks = 0;
            }
        } else if (skip_blanks && !total_next) {
            separators(f, fields.size());
            break;
        }

        writer.put_separator(separator_of(specifier));
        Trimmed written{};
        if (total_next) {
            writer.field(expand::prtCntNum(ctx.msg.cntnum), type);
            total_next = false;
        } else {
            written = writer.field(text, type);
        }
        ++fieldno;
        ++f;
        if (ctx.msg.inUNH && (fieldno == 3 || fieldno == 4)) {
            // A field that read nothing (its line had ended) is captured
            // empty, whatever -f wrote for it.
            expand::capture_unh(ctx, fieldno, text.empty() ? std::string() : processed(text, written));
        }
        if (cnt && ctx.opt.DOCNTNUM && text.substr(0, 3) == "NUM") total_next = true;
    }

    writer.put_separator(static_cast<char>(sep.terminator));
    if (ctx.add_at) writer.put('@');
    if (ctx.add_cr) writer.put('\r');
    writer.put('\n');
    switch (stop) {
        case Stop::line_end:
            return after;
        case Stop::input_end:
            return in.FGETC();
        case Stop::none:
            break;
    }
    return pass_over_excess(ctx, definition, in.FGETC());
}

}  // namespace

int to_compr(Conversion& ctx, Compactor& compactor, const Definition& definition, Path path) {
    if (path != Path::fields && !ctx.opt.force && !ctx.opt.DOCNTNUM) {
        const int next = whole_line(ctx, compactor, definition, path == Path::run);
        if (next != GENERAL) return next;
    }
    return field_by_field(ctx, compactor, definition, path);
}

int write_advice(Conversion& ctx, Compactor& compactor, const Definition& definition) {
    io::Output& out = *ctx.out;
    const std::int64_t line = ctx.LINENO();
    compactor.flush(out, line, ctx.sep);
    // Written as it stands: none of its separators is held back or
    // released, and none is dropped by -n.
    out.put_verbatim(ctx.sep == Separators::level_a() ? ServiceAdvice::level_a() : ServiceAdvice::level_b());
    if (ctx.add_at) compactor.put(out, line, ctx.sep, '@');
    if (ctx.add_cr) compactor.put(out, line, ctx.sep, '\r');
    compactor.put(out, line, ctx.sep, '\n');
    return pass_over_excess(ctx, definition, ctx.in->FGETC());
}

}  // namespace marlune::compress
