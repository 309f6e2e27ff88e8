#include "compress/to_compr.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <cstring>

#include "common/context.hpp"
#include "common/definition.hpp"
#include "expand/message.hpp"

namespace marlune::compress {

namespace {

void write_char(Context& ctx, char c) { ctx.compactor.put(*ctx.out, ctx.LINENO(), ctx.sep, c); }

}  // namespace

void prt_field(Context& ctx, std::string& text, char type) {
    const Separators sep = ctx.sep;
    std::size_t start = 0;
    std::size_t length = text.size();
    double& cntnum = ctx.msg.cntnum;

    if (type == 'N') {
        cntnum += expand::numeric_value(text);
        const bool negative = length > 0 && text[0] == '-';
        bool zero = false;
        while (start < length && (text[start] == '0' || text[start] == ' ' || text[start] == '-')) {
            if (text[start] == '0') zero = true;
            text[start++] = ' ';
        }
        if (start == length && zero) {
            text[--start] = '0';
        } else if (start > 0 && negative) {
            text[--start] = '-';
        }
    } else if (type == 'n') {
        cntnum += expand::numeric_value(text);
    } else {
        while (length > 0 && text[length - 1] == ' ') --length;
    }

    if (ctx.opt.force && start >= length && type != 'n') {
        if (type == 'N') {
            text.assign(1, '1');
            cntnum += 1;
        } else {
            text.assign(1, '-');
        }
        start = 0;
        length = 1;
    }

    auto special = [&sep](signed char c) {
        return c == sep.element || c == sep.component || c == sep.terminator || (sep.release != 0 && c == sep.release);
    };
    for (std::size_t i = start; i < length;) {
        const signed char c = static_cast<signed char>(text[i]);
        if (special(c)) {
            ctx.compactor.put_pair(*ctx.out, ctx.LINENO(), sep, static_cast<char>(sep.release), text[i]);
            ++i;
        } else if (c == '\0') {
            write_char(ctx, '\0');
            ++i;
        } else {
            std::size_t end = i + 1;
            while (end < length && text[end] != '\0' && !special(static_cast<signed char>(text[end]))) ++end;
            ctx.compactor.put_data(*ctx.out, ctx.LINENO(), sep, std::string_view(text).substr(i, end - i));
            i = end;
        }
    }
}

int to_compr(Context& ctx, const Definition& definition) {
    io::Input& in = *ctx.in;
    const Separators sep = ctx.sep;
    const bool cnt = std::strncmp(definition.text, "CNT", 3) == 0;
    std::string& field = ctx.field;

    std::string tag(definition.text, 3);
    prt_field(ctx, tag, 'A');

    bool ended = false;        // the input ended inside this line
    bool total_next = false;   // the next field receives the number total
    int fieldno = 0;
    for (const Field& specifier : definition.fields) {
        const char type = specifier.type;
        const long width = specifier.width;

        // Exactly `width` bytes; a line feed (or the end of the input) ends
        // the field early.
        field.clear();
        for (long k = 0; k < width && !ended;) {
            // Bytes the input holds ready, up to a line feed, go in one piece.
            const std::string_view ready = in.pending();
            const std::size_t want = std::min(ready.size(), static_cast<std::size_t>(width - k));
            if (want != 0) {
                const void* line_end = std::memchr(ready.data(), '\n', want);
                const std::size_t n = line_end ? static_cast<std::size_t>(static_cast<const char*>(line_end) - ready.data()) : want;
                field.append(ready.data(), n);
                in.consume(n);
                k += static_cast<long>(n);
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

        write_char(ctx, static_cast<char>(specifier.lead == '+' ? sep.element : sep.component));
        if (total_next) {
            std::string total = expand::prtCntNum(ctx.msg.cntnum);
            prt_field(ctx, total, type);
            total_next = false;
        } else {
            prt_field(ctx, field, type);
        }
        ++fieldno;
        if (ctx.msg.inUNH) expand::capture_unh(ctx, fieldno, field);
        if (cnt && ctx.opt.DOCNTNUM && field.compare(0, 3, "NUM") == 0) total_next = true;
    }

    write_char(ctx, static_cast<char>(sep.terminator));
    if (ctx.add_at) write_char(ctx, '@');
    if (ctx.add_cr) write_char(ctx, '\r');
    write_char(ctx, '\n');
    return in.FGETC();
}

}  // namespace marlune::compress
