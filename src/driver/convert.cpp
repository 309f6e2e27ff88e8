#include "driver/convert.hpp"

#include "compress/to_compr.hpp"
#include "directory/lookup.hpp"
#include "expand/read_tag.hpp"
#include "translit/translit.hpp"

namespace marlune::driver {

void apply_command(Context& ctx, Command command) {
    ctx.sep = (command == Command::bu || command == Command::ub) ? Separators::level_b() : Separators::level_a();
    ctx.direction = command == Command::ua || command == Command::ub;
}

int read_tag(Context& ctx, const Definition& definition) {
    return expand::read_tag(ctx, definition, [&ctx](Conversion& conv, const Definition& def) {
        return ctx.direction ? compress::to_compr(conv, ctx.compactor, def) : expand::read_tag_cu(conv, def);
    });
}

void segment_loop(Context& ctx) {
    io::Input& in = *ctx.in;
    // The last three bytes scanned, oldest first, and a terminating 0.
    char window[4] = {0, 0, 0, 0};
    SegmentObserver* const observer = ctx.observer;
    for (;;) {
        window[2] = static_cast<char>(in.FGETC());
        if (in.FEOF()) break;
        if (window[2] == ';') {
            // A comment runs through the next line feed.
            while (!in.FEOF()) {
                window[2] = static_cast<char>(in.FGETC());
                if (window[2] == '\n') break;
            }
        }
        // A tag that the lookup resolves: the segment is converted, and the
        // byte after it takes the window's newest place.
        if (const directory::Resolution row = directory::ifthenelse(ctx.dir, window, in.LINENO); row.definition) {
            if (observer) observer->resolved(window, row);
            window[2] = static_cast<char>(read_tag(ctx, *row.definition));
            window[0] = 0;
            window[1] = 0;
        } else if (observer && directory::tag_code(window)) {
            observer->unknown(window);
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
            break;
    }
    out.CFLUSH();
}

}  // namespace marlune::driver
