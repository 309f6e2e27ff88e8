#include "layout/records.hpp"

#include <cstdio>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "common/fatal.hpp"
#include "directory/lookup.hpp"
#include "driver/context.hpp"
#include "driver/convert.hpp"

namespace marlune::layout {

namespace {

// The converted data is not needed, only which rows made it.
class Discard final : public io::ByteSink {
public:
    void write(const char*, std::size_t) override {}
};

// Warnings of the conversion go nowhere: marlune-layout reports what it
// learnt from them itself.
struct NullStream {
    std::FILE* file = std::fopen("/dev/null", "we");
    NullStream() {
        if (file == nullptr) file = std::tmpfile();
        if (file == nullptr) fatal("cannot open /dev/null for the warnings of the conversion\n");
    }
    NullStream(const NullStream&) = delete;
    NullStream& operator=(const NullStream&) = delete;
    ~NullStream() { std::fclose(file); }
};

class Recorder final : public SegmentObserver {
public:
    Recorder(const Context& ctx, FileRecords& records) : ctx_(ctx), records_(records) {}

    void resolved(const char*, directory::Resolution row) override {
        const Key key{row.definition, row.table};
        if (seen_.emplace(key, records_.segments.size()).second)
            records_.segments.push_back(make_layout(row.table, *row.definition));
        // An unknown release leaves no directory in force (index -2): its
        // segments come from the default table.
        if (ctx_.dir._DIREC == -2 && !ctx_.dir.DIREC.empty()) note_release(ctx_.dir.DIREC);
    }

    void unknown(const char* window) override {
        const std::string tag(window, 3);
        for (FileRecords::Unknown& u : records_.unknown) {
            if (u.tag == tag) {
                ++u.count;
                return;
            }
        }
        records_.unknown.push_back({tag, ctx_.LINENO(), 1});
    }

private:
    void note_release(const std::string& release) {
        for (const FileRecords::UnknownRelease& r : records_.unknown_releases)
            if (r.release == release) return;
        records_.unknown_releases.push_back({release, ctx_.LINENO()});
    }

    // A row: its definition and the table it was found in (the same
    // definition can stand in two tables, as rows copied from another).
    using Key = std::pair<const Definition*, std::string_view>;

    const Context& ctx_;
    FileRecords& records_;
    std::map<Key, std::size_t> seen_;
};

}  // namespace

FileRecords records_of(const directory::Selection& start, io::Input& input, bool level_b) {
    NullStream warnings;
    Context ctx(warnings.file);
    ctx.dir = start;
    ctx.dir.err = warnings.file;
    ctx.dir.GENFINDINFO = false;
    const driver::Command command = level_b ? driver::Command::bu : driver::Command::au;
    driver::apply_command(ctx, command);

    FileRecords records;
    Recorder recorder(ctx, records);
    ctx.observer = &recorder;
    Discard discard;
    const auto output = std::make_unique<io::Output>(discard);
    driver::convert(ctx, command, input, *output);
    return records;
}

FileRecords records_of(const directory::Selection& start, int fd, const std::string& name, bool level_b) {
    const auto input = std::make_unique<io::Input>(fd, name);
    return records_of(start, *input, level_b);
}

}  // namespace marlune::layout
