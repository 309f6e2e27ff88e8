#include "layout/cli.hpp"

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "directory/lookup.hpp"
#include "driver/version.hpp"
#include "layout/formats.hpp"
#include "layout/layout.hpp"

namespace marlune::layout {

namespace {

constexpr const char* kUsage =
    "usage: marlune-layout [-I] [-D DIR] [--format text|csv|json|cobol] [TAG ...]\n";

constexpr const char* kHelp =
    "\n"
    "Prints the record layout of the uncompressed lines that marlune -au and -bu\n"
    "write: for each segment its name, the table that defines it, the definition,\n"
    "the line width and, per field, its number, first and last column, width,\n"
    "type and UN composite, component, data element and name.\n"
    "\n"
    "  -I             search interactive directories first, as marlune -I\n"
    "  -D DIR         the directory to start from, as marlune -D (default 90.2)\n"
    "  --format F     text (default), csv, json or cobol (a copybook)\n"
    "  TAG ...        segment tags in either case; none: every tag that resolves\n"
    "  --help         this text\n"
    "  --version      the version\n";

struct Request {
    Format format = Format::text;
    std::vector<std::string> tags;
};

}  // namespace

int run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    directory::Selection dir(err);
    dir.EXTENDED = true;  // every directory, as marlune -X walks them
    Request req;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, out);
            std::fputs(kHelp, out);
            return 0;
        }
        if (arg == "--version") {
            std::fprintf(out, "marlune-layout %s\n", driver::kVersion);
            return 0;
        }
        if (arg == "-I") {
            dir.INTERACTIVE = true;
        } else if (arg == "-D") {
            if (i + 1 >= argc) {
                std::fputs("marlune-layout: option -D needs a directory name\n", err);
                return 1;
            }
            if (!directory::findTheDIREC(dir, argv[++i])) {
                std::fprintf(err, "directory %s not supported\n", argv[i]);
                return 1;
            }
        } else if (arg == "--format" || arg.starts_with("--format=")) {
            std::string_view name;
            if (arg == "--format") {
                if (i + 1 >= argc) {
                    std::fputs("marlune-layout: option --format needs text, csv, json or cobol\n", err);
                    return 1;
                }
                name = argv[++i];
            } else {
                name = arg.substr(9);
            }
            const auto f = parse_format(name);
            if (!f) {
                std::fprintf(err, "marlune-layout: unknown format '%.*s' (text, csv, json or cobol)\n",
                             static_cast<int>(name.size()), name.data());
                return 1;
            }
            req.format = *f;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(err, "marlune-layout: unknown option '%s'\n", argv[i]);
            return 1;
        } else {
            std::string tag(arg);
            for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            req.tags.push_back(std::move(tag));
        }
    }

    const std::string start = directory::directory_name(dir, dir._DIREC);
    int status = 0;
    if (req.tags.empty()) req.tags = resolvable_tags(dir);
    std::vector<SegmentLayout> segments;
    for (const std::string& tag : req.tags) {
        if (auto s = layout_of(dir, tag)) {
            segments.push_back(std::move(*s));
        } else if (tag.size() != 3 || !directory::tag_code(tag.c_str())) {
            std::fprintf(err, "marlune-layout: '%s' is not a segment tag (three letters)\n", tag.c_str());
            status = 1;
        } else {
            std::fprintf(err, "marlune-layout: tag '%s' is defined neither in %s and its older directories nor in "
                              "the default table\n",
                         tag.c_str(), start.c_str());
            status = 1;
        }
    }
    const std::string text = render(req.format, Heading{start, dir.INTERACTIVE}, segments);
    std::fwrite(text.data(), 1, text.size(), out);
    return status;
}

}  // namespace marlune::layout
