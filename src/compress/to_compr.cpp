#include "compress/to_compr.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>


#include "common/definition.hpp"
#include "compress/compactor.hpp"
#include "compress/fill.hpp"
#include "expand/conversion.hpp"
#include "expand/message.hpp"

namespace marlune::compress {

Trimmed trim(std::string_view text, char type) noexcept {
    if (type == 'N') {
        // Leading zeros, blanks and minus signs go; a field of only zeros
        // keeps one "0", a field that began with "-" gets its sign back in
        // front of what is left.
        const NumericFill fill = numeric_fill(text);
        char lead = 0;
        if (fill.length == text.size() && fill.zero) {
            lead = '0';
        } else if (fill.length > 0 && text[0] == '-') {
            lead = '-';
        }
        return {fill.length, text.size(), lead};
    }
    if (type == 'n') return {0, text.size(), 0};
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
          escape_(ctx.escape_bytes.of(ctx.sep)),
          line_(ctx.LINENO()) {}

    void put(char c) { compactor_.put(out_, line_, sep_, c); }
    void put_separator(char c) { compactor_.put_separator(out_, line_, sep_, c); }
    void line_changed() noexcept { line_ = ctx_.LINENO(); }

    Trimmed field(std::string_view text, char type) {
        double& cntnum = ctx_.msg.cntnum;
        if (type == 'N' || type == 'n') cntnum += expand::numeric_value(text);

        Trimmed t = trim(text, type);
        const std::string_view data = text.substr(t.begin, t.end - t.begin);
        if (ctx_.opt.force && t.lead == 0 && data.empty() && type != 'n') {
            // -f: an empty field is written as a small value.
            t.forced = t.lead = type == 'N' ? '1' : '-';
            if (type == 'N') cntnum += 1;
        }
        if (t.lead != 0) compactor_.put_data(out_, line_, sep_, std::string_view(&t.lead, 1));

        // Data runs go to the compactor whole; a service character is
        // released (at level B, where there is no release character, it is
        // dropped), a NUL contributes nothing.
        for (std::size_t i = 0; i < data.size();) {
            std::size_t end = i;
            while (end < data.size() && !escape_[static_cast<unsigned char>(data[end])]) ++end;
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
    const std::array<bool, 256>& escape_;
    std::int64_t line_;
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

// Reads up to `width` bytes of a field into `field`: a line feed (consumed,
// not stored) or the end of the input (then `ended` is set) ends it early.
void read_field(io::Input& in, std::size_t width, bool& ended, std::string& field) {
    field.clear();
    for (std::size_t k = 0; k < width && !ended;) {
        // Bytes the input holds ready, up to a line feed, go in one piece.
        const std::string_view ready = in.pending();
        const std::size_t want = std::min(ready.size(), width - k);
        if (want != 0) {
            const void* line_end = std::memchr(ready.data(), '\n', want);
            const std::size_t n =
                line_end ? static_cast<std::size_t>(static_cast<const char*>(line_end) - ready.data()) : want;
            field.append(ready.data(), n);
            in.consume(n);
            k += n;
            if (n == want) continue;
        }
        const int c = in.FGETC();
        if (in.FEOF()) {
            ended = true;
            break;
        }
        if (c == '\n') break;
        field.push_back(static_cast<char>(c));
        ++k;
    }
}

}  // namespace

int to_compr(Conversion& ctx, Compactor& compactor, const Definition& definition) {
    io::Input& in = *ctx.in;
    const Separators sep = ctx.sep;
    const bool cnt = definition.tag() == "CNT";
    std::string& copy = ctx.field;

    FieldWriter writer(ctx, compactor);
    writer.field(definition.tag(), 'A');

    bool ended = false;        // the input ended inside this line
    bool total_next = false;   // the next field receives the number total
    std::size_t clear = 0;     // bytes ready in the input before a line feed
    std::size_t to_blanks = 0; // bytes before the blanks that end the line,
    bool blanks_known = false; // when its line feed is in the block
    // A field in the blanks that end a line writes nothing but its
    // separator, unless -f fills it, it is an "n" field (written as it
    // stands), or it counts for the message header or the number total.
    const bool skip_blanks = !ctx.opt.force && !ctx.msg.inUNH;
    int fieldno = 0;
    for (const Field& specifier : definition.fields) {
        const char type = specifier.type;
        const std::size_t width = specifier.width;

        // Exactly `width` bytes; a line feed (or the end of the input) ends
        // the field early. A field that the input holds whole is read where
        // it stands.
        if (clear < width) {
            // How far the input holds the line ready: up to its line feed or
            // the end of the block, found once for the fields that fit.
            const std::string_view ready = in.pending();
            const void* line_end = std::memchr(ready.data(), '\n', ready.size());
            clear = line_end ? static_cast<std::size_t>(static_cast<const char*>(line_end) - ready.data()) : ready.size();
            blanks_known = line_end != nullptr;
            if (blanks_known) to_blanks = without_trailing_blanks(ready.substr(0, clear));
        }
        std::string_view text;
        if (!ended && clear >= width) {
            if (blanks_known && to_blanks == 0 && skip_blanks && type != 'n' && !total_next) {
                writer.put_separator(static_cast<char>(specifier.lead == '+' ? sep.element : sep.component));
                in.consume(width);
                clear -= width;
                ++fieldno;
                continue;
            }
            text = in.pending().substr(0, width);
            in.consume(width);
            clear -= width;
            to_blanks -= std::min(to_blanks, width);
        } else {
            read_field(in, width, ended, copy);
            writer.line_changed();
            text = copy;
            clear = 0;
            blanks_known = false;
        }

        writer.put_separator(static_cast<char>(specifier.lead == '+' ? sep.element : sep.component));
        Trimmed written{};
        if (total_next) {
            writer.field(expand::prtCntNum(ctx.msg.cntnum), type);
            total_next = false;
        } else {
            written = writer.field(text, type);
        }
        ++fieldno;
        if (ctx.msg.inUNH && (fieldno == 3 || fieldno == 4)) {
            // A field that read nothing (a line feed came first) is captured
            // empty, whatever -f wrote for it.
            expand::capture_unh(ctx, fieldno, text.empty() ? std::string() : processed(text, written));
        }
        if (cnt && ctx.opt.DOCNTNUM && text.substr(0, 3) == "NUM") total_next = true;
    }

    writer.put_separator(static_cast<char>(sep.terminator));
    if (ctx.add_at) writer.put('@');
    if (ctx.add_cr) writer.put('\r');
    writer.put('\n');
    return in.FGETC();
}

}  // namespace marlune::compress
