#include "layout/cli.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "common/fatal.hpp"
#include "directory/lookup.hpp"
#include "driver/version.hpp"
#include "layout/formats.hpp"
#include "layout/layout.hpp"
#include "layout/records.hpp"

namespace marlune::layout {

namespace {

constexpr const char* kUsage =
    "usage: marlune-layout [-I] [-D DIR] [--format text|csv|json|cobol] [--prefix TEXT] [TAG ...]\n"
    "       marlune-layout --for FILE [--level A|B] [-I] [-X] [-D DIR] [--format F] [--prefix TEXT]\n";

constexpr const char* kHelp =
    "\n"
    "Prints the record layout of the uncompressed lines that marlune -au and -bu\n"
    "write: for each segment its name, the table that defines it, the definition,\n"
    "the line width and, per field, its number, first and last column, width,\n"
    "type and UN composite, component, data element and name.\n"
    "\n"
    "  --for FILE     the layouts of exactly the lines marlune -au writes for the\n"
    "                 interchange FILE (- for standard input), following its\n"
    "                 message headers as marlune does, in the order of first use\n"
    "  --level A|B    with --for: FILE is at level A (default) or B (marlune -bu)\n"
    "  -I             search interactive directories first, as marlune -I\n"
    "  -X             with --for: as marlune -X\n"
    "  -D DIR         the directory to start from, as marlune -D (default 90.2);\n"
    "                 -D default: the default segment table alone\n"
    "  --format F     text (default), csv, json or cobol (a copybook)\n"
    "  --prefix TEXT  cobol: TEXT goes in front of every data name\n"
    "  TAG ...        segment tags in either case; none: every tag that resolves\n"
    "  --help         this text\n"
    "  --version      the version\n";

struct Request {
    Format format = Format::text;
    std::vector<std::string> tags;
    const char* directory = nullptr;  // -D as given
    bool default_table = false;       // -D default
    const char* file = nullptr;       // --for
    bool level_b = false;             // --level B
    std::string prefix;               // --prefix
    bool extended = false;            // -X: the later releases in the file's headers
};

// Everything written to the output goes through here, so that a write that
// fails, or the final flush, is noticed: the first error is kept.
class Writer {
public:
    explicit Writer(std::FILE* out) : out_(out) {}
    void put(std::string_view text) {
        if (error_ == 0 && !text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size())
            error_ = errno ? errno : EIO;
    }
    // Flushes; the status of the whole output.
    int finish(std::FILE* err) {
        errno = 0;
        if (error_ == 0 && (std::fflush(out_) != 0 || std::ferror(out_))) error_ = errno ? errno : EIO;
        if (error_ == 0) return 0;
        std::fprintf(err, "marlune-layout: cannot write the output: %s\n", std::strerror(error_));
        return 1;
    }

private:
    std::FILE* out_;
    int error_ = 0;
};

// The value of an option: the next argument, or the text after "=" in
// "--name=value". Nothing when it is missing.
const char* option_value(std::string_view arg, std::string_view name, int& i, int argc, const char* const* argv) {
    if (arg.size() > name.size() && arg[name.size()] == '=') return argv[i] + name.size() + 1;
    if (i + 1 >= argc) return nullptr;
    return argv[++i];
}

bool is_option(std::string_view arg, std::string_view name) {
    return arg == name || (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

// A prefix makes COBOL words: letters, digits and hyphens, not beginning
// with a hyphen.
bool cobol_prefix(std::string_view p) {
    if (!p.empty() && p.front() == '-') return false;
    for (const char c : p) {
        const bool letter_or_digit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letter_or_digit && c != '-') return false;
    }
    return true;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Scans the arguments into `req` and `dir`; a status when the run is over
// (help, version, a mistake), or -1 to go on.
int scan(int argc, const char* const* argv, Writer& out, std::FILE* err, directory::Selection& dir, Request& req) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out.put(kUsage);
            out.put(kHelp);
            return 0;
        }
        if (arg == "--version") {
            out.put(std::string("marlune-layout ") + driver::kVersion + "\n");
            return 0;
        }
        if (arg == "-I") {
            dir.INTERACTIVE = true;
        } else if (arg == "-X") {
            req.extended = true;
        } else if (arg == "-D") {
            if (i + 1 >= argc) {
                std::fputs("marlune-layout: option -D needs a directory name\n", err);
                return 1;
            }
            req.directory = argv[++i];
            if (upper(req.directory) == "DEFAULT") {
                // No directory in force, as after an unknown release: the
                // lookup goes to the default table at once.
                req.default_table = true;
                dir._DIREC = -2;
            } else if (!directory::findTheDIREC(dir, argv[i])) {
                std::fprintf(err, "directory %s not supported\n", argv[i]);
                return 1;
            }
        } else if (is_option(arg, "--format")) {
            const char* name = option_value(arg, "--format", i, argc, argv);
            if (name == nullptr) {
                std::fputs("marlune-layout: option --format needs text, csv, json or cobol\n", err);
                return 1;
            }
            const auto f = parse_format(name);
            if (!f) {
                std::fprintf(err, "marlune-layout: unknown format '%s' (text, csv, json or cobol)\n", name);
                return 1;
            }
            req.format = *f;
        } else if (is_option(arg, "--for")) {
            req.file = option_value(arg, "--for", i, argc, argv);
            if (req.file == nullptr) {
                std::fputs("marlune-layout: option --for needs an interchange file (- for standard input)\n", err);
                return 1;
            }
        } else if (is_option(arg, "--level")) {
            const char* level = option_value(arg, "--level", i, argc, argv);
            if (level == nullptr || (std::strcmp(level, "A") != 0 && std::strcmp(level, "B") != 0)) {
                std::fputs("marlune-layout: option --level needs A or B\n", err);
                return 1;
            }
            req.level_b = level[0] == 'B';
        } else if (is_option(arg, "--prefix")) {
            const char* prefix = option_value(arg, "--prefix", i, argc, argv);
            if (prefix == nullptr || !cobol_prefix(prefix)) {
                std::fputs("marlune-layout: option --prefix needs letters, digits and hyphens, not beginning with "
                           "a hyphen\n",
                           err);
                return 1;
            }
            req.prefix = prefix;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(err, "marlune-layout: unknown option '%s'\n", argv[i]);
            return 1;
        } else {
            req.tags.push_back(upper(arg));
        }
    }
    if (req.file != nullptr && !req.tags.empty()) {
        std::fputs("marlune-layout: give either --for or tags\n", err);
        return 1;
    }
    if (req.file != nullptr && req.default_table) {
        std::fputs("marlune-layout: -D default cannot be used with --for (marlune has no such directory)\n", err);
        return 1;
    }
    return -1;
}

// The layouts of the tags asked for (or of every tag that resolves).
int tag_layouts(const directory::Selection& dir, const Request& req, std::FILE* err, Heading& heading,
                std::vector<SegmentLayout>& segments) {
    if (req.directory == nullptr)
        std::fputs("marlune-layout: no directory given, showing 90.2 (the directory marlune uses before the first "
                   "message header)\n",
                   err);
    const char* start = directory::directory_name(dir, dir._DIREC);
    heading.directory = start ? start : "default";
    int status = 0;
    const std::vector<std::string> tags = req.tags.empty() ? resolvable_tags(dir) : req.tags;
    for (const std::string& tag : tags) {
        if (auto s = layout_of(dir, tag)) {
            segments.push_back(std::move(*s));
        } else if (tag.size() != 3 || !directory::tag_code(tag.c_str())) {
            std::fprintf(err, "marlune-layout: '%s' is not a segment tag (three letters)\n", tag.c_str());
            status = 1;
        } else if (start == nullptr) {
            std::fprintf(err, "marlune-layout: tag '%s' is not defined in the default table\n", tag.c_str());
            status = 1;
        } else {
            std::fprintf(err, "marlune-layout: tag '%s' is defined neither in %s and its older directories nor in "
                              "the default table\n",
                         tag.c_str(), start);
            status = 1;
        }
    }
    return status;
}

// The descriptor of --for: standard input, or the file, closed at the end.
struct InputFile {
    int fd;
    explicit InputFile(const char* name)
        : fd(std::strcmp(name, "-") == 0 ? STDIN_FILENO : ::open(name, O_RDONLY | O_CLOEXEC)) {}
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() {
        if (fd > STDIN_FILENO) ::close(fd);
    }
};

// The layouts of the records marlune writes for --for FILE.
int file_layouts(const directory::Selection& dir, const Request& req, std::FILE* err, Heading& heading,
                 std::vector<SegmentLayout>& segments) {
    const InputFile input(req.file);
    if (input.fd < 0) {
        std::fprintf(err, "marlune-layout: cannot open '%s': %s\n", req.file, std::strerror(errno));
        return 1;
    }
    // The file is followed as marlune follows it: the releases after D.99A
    // only with -X.
    directory::Selection start = dir;
    start.EXTENDED = req.extended;
    if (req.directory != nullptr && !req.extended && !directory::findTheDIREC(start, req.directory)) {
        std::fprintf(err, "directory %s not supported\n", req.directory);
        return 1;
    }
    FileRecords records;
    try {
        records = records_of(start, input.fd, req.file, req.level_b);
    } catch (const FatalError& e) {
        std::fprintf(err, "marlune-layout: %s", e.what());
        return 1;
    }

    heading.file = req.file;
    heading.command = req.level_b ? "-bu" : "-au";
    if (req.directory != nullptr) heading.directory = directory::directory_name(dir, dir._DIREC);
    for (const FileRecords::UnknownRelease& r : records.unknown_releases)
        std::fprintf(err,
                     "marlune-layout: release '%s' (segments from line %lld on) is no directory marlune knows: "
                     "its segments come from the default table\n",
                     r.release.c_str(), static_cast<long long>(r.line));
    for (const FileRecords::Unknown& u : records.unknown) {
        const std::string times = u.count > 1 ? format(", %ld times", u.count) : std::string();
        if (req.format == Format::text) {
            heading.unknown.push_back(u.tag + format(" (line %lld", static_cast<long long>(u.line)) + times + ")");
        } else {
            std::fprintf(err, "marlune-layout: tag '%s' (line %lld%s) is defined nowhere: marlune %s skips it\n",
                         u.tag.c_str(), static_cast<long long>(u.line), times.c_str(), heading.command.c_str());
        }
    }
    segments = std::move(records.segments);
    return 0;
}

}  // namespace

int run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Writer writer(out);
    int status = 0;
    try {
        directory::Selection dir(err);
        dir.EXTENDED = true;  // every directory is known by its name
        Request req;
        status = scan(argc, argv, writer, err, dir, req);
        if (status < 0) {
            Heading heading;
            heading.interactive = dir.INTERACTIVE;
            heading.prefix = req.prefix;
            std::vector<SegmentLayout> segments;
            status = req.file ? file_layouts(dir, req, err, heading, segments)
                              : tag_layouts(dir, req, err, heading, segments);
            // Tags that resolve nowhere leave the others printed; a file
            // that could not be read leaves nothing to print.
            if (status == 0 || req.file == nullptr) writer.put(render(req.format, heading, segments));
        }
    } catch (const std::bad_alloc&) {
        std::fputs("Out of memory\n", err);
        return 1;
    }
    return writer.finish(err) != 0 ? 1 : status;
}

}  // namespace marlune::layout
