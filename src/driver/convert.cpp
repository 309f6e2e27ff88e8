#include "driver/convert.hpp"

#include <cstring>
#include <optional>

#include "common/advice.hpp"
#include "compress/to_compr.hpp"
#include "directory/lookup.hpp"
#include "expand/read_tag.hpp"
#include "translit/translit.hpp"

namespace marlune::driver {

void apply_command(Context& ctx, Command command) {
    ctx.sep = (command == Command::bu || command == Command::ub) ? Separators::level_b() : Separators::level_a();
    ctx.command_sep = ctx.sep;
    ctx.direction = command == Command::ua || command == Command::ub;
}

int read_tag(Context& ctx, const Definition& definition) {
    return expand::read_tag(ctx, definition, [&ctx](Conversion& conv, const Definition& def) {
        if (!ctx.direction) return expand::read_tag_cu(conv, def);
        if (def.tag() == "UNA") return compress::write_advice(conv, ctx.compactor, def);
        // An observer sees every segment: the lines go one at a time.
        return compress::to_compr(conv, ctx.compactor, def,
                                  ctx.observer ? compress::Path::lines : compress::Path::run);
    });
}

namespace {

// The service string advice whose tag the window holds, when the six bytes
// after it are one: they are read (after the line of UNA, where a directory
// defines it) and its separators are in force from the next byte on.
// Returns the last of the six, the advice's own terminator, or nothing when
// they are not an advice.
std::optional<int> read_advice(Context& ctx, const char* window) {
    io::Input& in = *ctx.in;
    const auto advice = ServiceAdvice::read(in.peek(ServiceAdvice::LENGTH));
    if (!advice) return std::nullopt;
    auto read_six = [&in] {
        int c = 0;
        for (std::size_t k = 0; k < ServiceAdvice::LENGTH; ++k) c = in.FGETC();
        return c;
    };
    int last;
    if (const directory::Resolution row = directory::ifthenelse(ctx.dir, window, in.LINENO); row.definition) {
        if (ctx.observer) ctx.observer->resolved(window, row);
        last = expand::read_tag(ctx, *row.definition, [&](Conversion& conv, const Definition& d) {
            expand::write_absent(conv, d);
            return read_six();
        });
    } else {
        if (ctx.observer) ctx.observer->unknown(window);
        last = read_six();
    }
    ctx.sep = advice->sep;
    ctx.advice = true;
    return last;
}

}  // namespace

void segment_loop(Context& ctx) {
    io::Input& in = *ctx.in;
    // Compressed input is read as segments: line ends between and inside
    // them are layout (unless an advice made one a separator), and a service
    // string advice sets the separators of its interchange. The lines of
    // the uncompressed form are its structure.
    const bool compressed = !ctx.direction;
    // The last three bytes scanned, oldest first, and a terminating 0.
    char window[4] = {0, 0, 0, 0};
    SegmentObserver* const observer = ctx.observer;
    auto letter = [](char c) { return directory::detail::kLetter[static_cast<unsigned char>(c)] >= 0; };
    for (;;) {
        // Three letters at the front of the block after a byte that is no
        // letter: the windows before the last of them hold no tag, so they
        // are taken at once (unless they may begin an advice). Their tag
        // code is taken from the bytes as they are read, not from the
        // window they are copied to (the lookup would wait for the copy).
        const std::string_view ready = in.pending();
        std::optional<std::uint16_t> code;
        if (!letter(window[1]) && ready.size() >= 3 && (code = directory::tag_code(ready.data())) &&
            !(compressed && ready.substr(0, 3) == "UNA")) {
            std::memcpy(window, ready.data(), 3);
            in.consume(3);
        } else {
            code.reset();
            int c = in.FGETC();
            if (in.FEOF()) break;
            if (c == ';') {
                // A comment runs through the next line feed.
                while (!in.FEOF()) {
                    c = in.FGETC();
                    if (c == '\n') break;
                }
            }
            if (compressed && ctx.sep.layout(c) && c != ctx.sep.release) continue;
            window[2] = static_cast<char>(c);
            code = directory::tag_code(window);
        }
        std::optional<int> next;
        if (compressed && std::memcmp(window, "UNA", 3) == 0) next = read_advice(ctx, window);
        // A tag that the lookup resolves: the segment is converted, and the
        // byte after it takes the window's newest place.
        if (!next && code) {
            const directory::Resolution row = directory::ifthenelse(ctx.dir, window, *code, in.LINENO);
            if (const Definition* const definition = row.definition) {
                if (observer) observer->resolved(window, directory::Resolution(row));
                next = read_tag(ctx, *definition);
                // The interchange of an advice ends with its UNZ segment.
                if (ctx.advice && definition->tag() == "UNZ") {
                    ctx.sep = ctx.command_sep;
                    ctx.advice = false;
                }
            } else if (observer) {
                observer->unknown(window);
            }
        }
        if (next) {
            window[2] = static_cast<char>(*next);
            window[0] = 0;
            window[1] = 0;
        }
        window[0] = window[1];
        window[1] = window[2];
    }
    if (ctx.direction) ctx.compactor.flush(*ctx.out, in.LINENO, ctx.sep);
}

void convert(Context& ctx, Command command, io::Input& in, io::Output& out) {
    ctx.in = &in;
    ctx.out = &out;
    out.NONEWLINE = ctx.opt.NONEWLINE;
    const Separators b = Separators::level_b();
    switch (command) {
        case Command::ab:
            translit::AB(in, out, ctx.opt.REMOVE_COMMENTS, Separators::level_a(), b);
            break;
        case Command::ba:
            translit::BA(in, out, ctx.opt.REMOVE_COMMENTS, Separators::level_a(), b);
            break;
        case Command::none:
            break;
        default:
            segment_loop(ctx);
            if (!ctx.direction) expand::report_long_values(ctx);
            break;
    }
    out.CFLUSH();
}

}  // namespace marlune::driver
