#include "driver/run.hpp"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fatal.hpp"
#include "directory/lookup.hpp"
#include "driver/convert.hpp"
#include "driver/help.hpp"
#include "io/input.hpp"
#include "io/output.hpp"
#include "io/pipe.hpp"

namespace marlune::driver {

namespace {

struct CommandWord {
    const char* word;
    Command command;
};

constexpr std::array<CommandWord, 6> kCommands{{
    {"-au", Command::au},
    {"-bu", Command::bu},
    {"-ua", Command::ua},
    {"-ub", Command::ub},
    {"-ab", Command::ab},
    {"-ba", Command::ba},
}};

// What the command line asks for.
struct Request {
    Command command = Command::none;
    const char* input = nullptr;
    const char* output = nullptr;
};

bool transliteration(Command c) { return c == Command::ab || c == Command::ba; }

// The option words that act on the whole run wherever they stand, found
// before the main scan so that a -D before them already sees their effect.
// The scan follows the main one: the argument after -D is a directory name,
// and nothing after -c is looked at.
void prescan(int argc, char** argv, Context& ctx) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-c") return;
        if (a == "-D") {
            ++i;
        } else if (a == "-X") {
            ctx.dir.EXTENDED = true;
        }
    }
}

// Scans the arguments; -D acts on `ctx` at once. Returns false when -c has
// printed a tag code and the run is over.
bool scan(int argc, char** argv, Context& ctx, Request& req) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-c") == 0) {
            if (i + 1 >= argc || std::strlen(argv[i + 1]) < 3) fatal("usage: -c<tag>\n");
            const auto* t = reinterpret_cast<const signed char*>(argv[i + 1]);
            std::printf("%s=%d\n", argv[i + 1], t[2] * 1024 + t[1] * 32 + t[0] - 68705);
            if (std::fflush(stdout) != 0 || std::ferror(stdout)) fatal("Couldn't write output file '-'\n");
            return false;
        }
        bool matched = false;
        for (const CommandWord& c : kCommands) {
            if (std::strcmp(arg, c.word) == 0) {
                if (req.command != Command::none) fatal("You can only specify 1 command at a time\n");
                req.command = c.command;
                apply_command(ctx, c.command);
                matched = true;
                break;
            }
        }
        if (matched) continue;
        const std::string a = arg;
        if (a == "-n") {
            ctx.opt.NONEWLINE = 1;
        } else if (a == "-w") {
            ctx.dir.GENFINDINFO = true;
        } else if (a == "-R") {
            ctx.opt.REMOVE_COMMENTS = true;
        } else if (a == "-I") {
            ctx.dir.INTERACTIVE = true;
        } else if (a == "-D") {
            if (i + 1 >= argc) fatal("usage: -D<d>\n");
            if (!directory::findTheDIREC(ctx.dir, argv[i + 1])) fatal("directory %s not supported\n", argv[i + 1]);
            ++i;
        } else if (a == "-@") {
            ctx.add_at = true;
        } else if (a == "-M") {
            ctx.add_cr = true;
        } else if (a == "-f") {
            ctx.opt.force = true;
        } else if (a == "-0") {
            ctx.opt.UNCOMPRESSED_ZERO = '0';
        } else if (a == "-num") {
            ctx.opt.DOCNTNUM = true;
        } else if (a == "-X") {
            // taken by prescan()
        } else if (a == "-S") {
            ctx.opt.STRICT = true;
        } else {
            // Any other argument is a file name; the last two count.
            req.input = req.output;
            req.output = arg;
        }
    }
    return true;
}

// True when what will be read (the input descriptor) and what will be
// written (the output file, or standard output for "-") are one regular
// file, FIFO or socket: converting a file onto itself would destroy it, or
// never end, and a run that writes into the FIFO or socket it reads would
// read its own output back for ever. A terminal or a device such as
// /dev/null may well be both.
bool same_file(int input, const char* output) {
    struct stat in, out;
    if (::fstat(input, &in) != 0) return false;
    if (!S_ISREG(in.st_mode) && !S_ISFIFO(in.st_mode) && !S_ISSOCK(in.st_mode)) return false;
    const int found = std::strcmp(output, "-") == 0 ? ::fstat(STDOUT_FILENO, &out) : ::stat(output, &out);
    return found == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

// Whether the output could be opened for writing, decided without creating
// or truncating anything: an existing file that can be written, or a new
// name in a folder that exists and takes new entries.
bool output_can_be_opened(const char* output) {
    if (std::strcmp(output, "-") == 0) return true;
    const std::string name = output;
    if (name.empty()) return false;
    struct stat st;
    if (::stat(output, &st) == 0) return !S_ISDIR(st.st_mode) && ::faccessat(AT_FDCWD, output, W_OK, AT_EACCESS) == 0;
    if (errno != ENOENT || name.back() == '/') return false;
    const auto slash = name.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

void summary(std::FILE* err, const Context& ctx, const Request& req) {
    std::string line;
    if (req.command == Command::ab)
        line = "level A to level B, ";
    else if (req.command == Command::ba)
        line = "level B to level A, ";
    else
        line = ctx.sep.element == '+' ? "level A - " : "level B - ";
    line += format("%s to %s ", req.input, req.output);
    if (req.command == Command::ua || req.command == Command::ub) line += " - uncompressed to compressed";
    if (req.command == Command::au || req.command == Command::bu) line += " - compressed to uncompressed";
    if (ctx.add_at) line += " -@";
    if (ctx.add_cr) line += " -M";
    if (ctx.opt.DOCNTNUM) line += " -num";
    if (ctx.opt.UNCOMPRESSED_ZERO == '0') line += " -0";
    if (ctx.opt.REMOVE_COMMENTS) line += " -R";
    if (ctx.dir.EXTENDED) line += " -X";
    if (ctx.opt.STRICT) line += " -S";
    line += "\n\n";
    std::fputs(line.c_str(), err);
}

// The files of a run, closed when the run ends however it ends: what was
// handed to the output stream is then still written.
struct Files {
    std::FILE* out = nullptr;
    int in = -1;
    // Of a regular input, the bytes it held when it was opened: all that
    // is read, so that the run never reads back what is written meanwhile.
    std::uint64_t in_size = io::NO_LIMIT;
    Files() = default;
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;
    ~Files() {
        if (in > STDIN_FILENO) ::close(in);
        if (out != nullptr && out != stdout) std::fclose(out);
    }
};

int run_checked(int argc, char** argv, std::FILE* err) {
    Context ctx(err);
    Request req;
    prescan(argc, argv, ctx);
    if (!scan(argc, argv, ctx, req)) return 0;

    if (transliteration(req.command) && (ctx.add_at || ctx.add_cr || ctx.opt.DOCNTNUM || ctx.opt.force))
        fatal("You cannot use options -@, -M, -num and -f with -ab and -ba\n");

    // Nothing is created or truncated until every check has passed and the
    // input has been read from: a run that fails here leaves an existing
    // output as it was.
    Files files;
    bool error = false;
    if (req.input == nullptr || req.output == nullptr) {
        std::fputs("please give an input and an output file\n", err);
        error = true;
    } else {
        files.in = std::strcmp(req.input, "-") == 0 ? STDIN_FILENO : ::open(req.input, O_RDONLY | O_CLOEXEC);
        if (files.in >= 0) files.in_size = io::regular_file_remainder(files.in);
        if (files.in >= 0 && same_file(files.in, req.output)) {
            std::fprintf(err, "Input and output are the same file '%s'\n", req.input);
            error = true;
        } else {
            if (files.in < 0) {
                std::fprintf(err, "Couldn't open input file '%s'\n", req.input);
                error = true;
            }
            if (!output_can_be_opened(req.output)) {
                std::fprintf(err, "Couldn't open output file '%s'\n", req.output);
                error = true;
            }
        }
    }
    if (req.command == Command::none) {
        std::fputs("please issue a command (-ab, -ba, -au, -bu, -ua or -ub)\n", err);
        error = true;
    }
    if (error) return 1;

    summary(err, ctx, req);

    io::widen_pipe(files.in);
    const auto input = std::make_unique<io::Input>(files.in, req.input, files.in_size);
    input->prefetch();
    files.out = std::strcmp(req.output, "-") == 0 ? stdout : std::fopen(req.output, "w");
    if (files.out == nullptr) {
        if (errno == ENOMEM) fatal("Out of memory\n");
        fatal("Couldn't open output file '%s'\n", req.output);
    }
    io::widen_pipe(fileno(files.out));

    // The input is read and the output written straight through their
    // descriptors, a block at a time.
    io::FileSink sink(files.out, req.output);
    const auto output = std::make_unique<io::Output>(sink);
    try {
        convert(ctx, req.command, *input, *output);
    } catch (...) {
        // A run that fails keeps the blocks it has completed.
        try {
            output->write_complete_blocks();
        } catch (const FatalError&) {
        }
        throw;
    }
    files.out = nullptr;
    sink.close();
    // -S: everything has been written; a run that reported a loss fails.
    return ctx.opt.STRICT && ctx.dir.loss_warnings != 0 ? 1 : 0;
}

}  // namespace

int run(int argc, char** argv, std::FILE* keys, std::FILE* err) {
    try {
        if (argc <= 1) {
            help_screens(err, keys);
            // The screens are the whole result: losing them is a failure.
            return std::fflush(err) != 0 || std::ferror(err) ? 1 : 0;
        }
        return run_checked(argc, argv, err);
    } catch (const FatalError& e) {
        std::fputs(e.what(), err);
        return 1;
    } catch (const std::bad_alloc&) {
        std::fputs("Out of memory\n", err);
        return 1;
    }
}

bool open_standard_descriptors() {
    // Each closed one gets /dev/null, opened so that using it fails (input
    // write-only, outputs read-only): a file the run opens later can then
    // never become standard output or standard error by accident.
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened != fd) {
            if (opened >= 0) ::close(opened);
            return false;
        }
    }
    return true;
}

}  // namespace marlune::driver
