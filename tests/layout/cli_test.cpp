#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "driver/version.hpp"
#include "layout/cli.hpp"

namespace marlune::layout {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string contents(std::FILE* f) {
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    std::fclose(f);
    return s;
}

Result run_with(std::vector<const char*> args) {
    args.insert(args.begin(), "marlune-layout");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = run(static_cast<int>(args.size()), args.data(), out, err);
    return {status, contents(out), contents(err)};
}

const std::string kNoDirectory =
    "marlune-layout: no directory given, showing 90.2 (the directory marlune uses before the first message "
    "header)\n";

const std::string kInteractiveNote =
    "You specified an interactive directory to be used\n"
    "Use the -I option to make use of interactive directories\n"
    "For now I'll assume 'D.97A' and try again\n";

TEST(Cli, Messages) {
    struct Case {
        std::vector<const char*> args;
        int status;
        std::string err;
        bool output;  // something on standard output
    };
    for (const Case& c : std::vector<Case>{
             {{"-x"}, 1, "marlune-layout: unknown option '-x'\n", false},
             {{"--formats", "csv"}, 1, "marlune-layout: unknown option '--formats'\n", false},
             {{"-D", "95C", "MOA"}, 1, "directory 95C not supported\n", false},
             {{"-D"}, 1, "marlune-layout: option -D needs a directory name\n", false},
             {{"--format"}, 1, "marlune-layout: option --format needs text, csv, json or cobol\n", false},
             {{"--format", "xml"}, 1, "marlune-layout: unknown format 'xml' (text, csv, json or cobol)\n", false},
             {{"--format=yaml"}, 1, "marlune-layout: unknown format 'yaml' (text, csv, json or cobol)\n", false},
             {{"-D", "D.96A", "MOA", "XYZ"}, 1,
              "marlune-layout: tag 'XYZ' is defined neither in D.96A and its older directories nor in the default "
              "table\n",
              true},
             {{"-D", "D.96A", "TVL"}, 1,
              "marlune-layout: tag 'TVL' is defined neither in D.96A and its older directories nor in the default "
              "table\n",
              true},
             {{"-D", "i.97a", "TVL"}, 1,
              kInteractiveNote +
                  "marlune-layout: tag 'TVL' is defined neither in D.97A and its older directories nor in the "
                  "default table\n",
              true},
             {{"-I", "-D", "I.97A", "TVL"}, 0, kInteractiveNote, true},
             {{"-D", " d.96a ", "moa"}, 0, "", true},
             {{"MO1", "MOAB", "M"}, 1,
              kNoDirectory +
              "marlune-layout: 'MO1' is not a segment tag (three letters)\n"
              "marlune-layout: 'MOAB' is not a segment tag (three letters)\n"
              "marlune-layout: 'M' is not a segment tag (three letters)\n",
              true},
             {{"--format=csv", "UNS"}, 0, kNoDirectory, true},
             {{"--help"}, 0, "", true},
             {{"-D", "default", "TVL"}, 1, "marlune-layout: tag 'TVL' is not defined in the default table\n", true},
             {{"-D", "default", "MOA"}, 0, "", true},
             {{"-D", "Default", "UNB"}, 0, "", true},
             {{"--for"}, 1, "marlune-layout: option --for needs an interchange file (- for standard input)\n", false},
             {{"--for", "-", "MOA"}, 1, "marlune-layout: give either --for or tags\n", false},
             {{"--for", "-", "-D", "default"}, 1,
              "marlune-layout: -D default cannot be used with --for (marlune has no such directory)\n", false},
             {{"--for", "/nonexistent/x.edi"}, 1,
              "marlune-layout: cannot open '/nonexistent/x.edi': No such file or directory\n", false},
             {{"--for", "/"}, 1, "marlune-layout: Couldn't read input file '/'\n", false},
             {{"--level", "C"}, 1, "marlune-layout: option --level needs A or B\n", false},
             {{"--level"}, 1, "marlune-layout: option --level needs A or B\n", false},
             {{"--prefix", "-X"}, 1,
              "marlune-layout: option --prefix needs letters, digits and hyphens, not beginning with a hyphen\n",
              false},
             {{"--prefix=A_B"}, 1,
              "marlune-layout: option --prefix needs letters, digits and hyphens, not beginning with a hyphen\n",
              false},
             {{"-X", "-D", "D.96A", "MOA"}, 0, "", true},
         }) {
        const Result r = run_with(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
        EXPECT_EQ(!r.out.empty(), c.output) << c.args[0];
    }
}

TEST(Cli, Version) {
    const Result r = run_with({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("marlune-layout ") + driver::kVersion + "\n");
    EXPECT_EQ(r.err, "");
}

TEST(Cli, HelpShowsTheUsage) {
    const Result r = run_with({"--help", "-x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: marlune-layout [-I] [-D DIR] [--format text|csv|json|cobol] [--prefix TEXT] "
                          "[TAG ...]\n       marlune-layout --for FILE ",
                          0),
              0u);
}

TEST(Cli, TagsKeepTheirOrderAndOtherTagsArePrinted) {
    const Result r = run_with({"-D", "D.96A", "--format", "csv", "qty", "NOPE", "MOA"});
    EXPECT_EQ(r.status, 1);
    const auto qty = r.out.find("\nQTY,1,");
    const auto moa = r.out.find("\nMOA,1,");
    ASSERT_NE(qty, std::string::npos);
    ASSERT_NE(moa, std::string::npos);
    EXPECT_LT(qty, moa);
}

TEST(Cli, WithoutTagsEveryResolvableTag) {
    const Result d96a = run_with({"-D", "D.96A", "--format", "csv"});
    const Result d96a_i = run_with({"-I", "-D", "D.96B", "--format", "csv"});
    EXPECT_EQ(d96a.status, 0);
    EXPECT_EQ(d96a_i.status, 0);
    EXPECT_NE(d96a.out.find("\nVLN,1,"), std::string::npos) << "90.2 is in the chain";
    EXPECT_EQ(d96a.out.find("\nUNA,"), std::string::npos) << "UNA has no fields";
    EXPECT_EQ(d96a.out.find("\nTVL,"), std::string::npos);
    EXPECT_NE(d96a_i.out.find("\nTVL,1,4,17,14,A,E987,1,2000,Date,I.96B\n"), std::string::npos);
}

// Output that cannot be written is a failure, reported with the reason,
// whatever was asked for: layouts, the help or the version.
TEST(Cli, LostOutputFails) {
    for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
             {"-D", "D.96A"}, {"-D", "D.96A", "--format", "csv", "MOA"}, {"--help"}, {"--version"}}) {
        std::vector<const char*> argv{"marlune-layout"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        std::FILE* err = std::tmpfile();
        const int status = run(static_cast<int>(argv.size()), argv.data(), full, err);
        std::fclose(full);
        EXPECT_EQ(status, 1) << args[0];
        EXPECT_EQ(contents(err), "marlune-layout: cannot write the output: No space left on device\n") << args[0];
    }
}

// --for with the tag options: -D is where the file starts, as for marlune.
TEST(Cli, ForFileFollowsItsHeaders) {
    char name[] = "/tmp/marlune-layout-test-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    const std::string edi = "UNB+UNOA:2+S+R+261208:0930+1'UNH+1+ORDERS:D:96A:UN'MOA+203:1'UNT+3+1'UNZ+1+1'";
    ASSERT_EQ(::write(fd, edi.data(), edi.size()), static_cast<ssize_t>(edi.size()));
    ::close(fd);
    const Result plain = run_with({"--for", name, "--format", "csv"});
    const Result from = run_with({"--for", name, "-D", "88.1", "--format", "csv"});
    ::unlink(name);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "") << "no warning with --for";
    EXPECT_NE(plain.out.find("\nUNB,1,4,7,4,A,S001,1,0001,Syntax identifier,90.2\n"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("\nMOA,2,7,24,18,N,C516,2,5004,Monetary amount,D.96A\n"), std::string::npos);
    EXPECT_EQ(from.status, 0);
    EXPECT_NE(from.out.find(",88.1\n"), std::string::npos) << "UNB and UNH of 88.1";
    EXPECT_NE(from.out.find("\nMOA,2,7,24,18,N,C516,2,5004,Monetary amount,D.96A\n"), std::string::npos);
}

}  // namespace
}  // namespace marlune::layout
