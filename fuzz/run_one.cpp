#include "run_one.hpp"

#include <cstdio>
#include <string_view>

#include "driver/context.hpp"
#include "common/fatal.hpp"
#include "directory/lookup.hpp"
#include "io/input.hpp"
#include "io/output.hpp"

namespace marlune::fuzz {

namespace {

// Output is counted, not kept.
class CountingSink final : public io::ByteSink {
public:
    void write(const char*, std::size_t size) override { bytes += size; }
    std::size_t bytes = 0;
};

constexpr const char* kDirectories[] = {
    "88.1",  "90.2",  "91.1",  "91.2",  "92.1",  "93.2",  "D.93A", "S.93A", "D.94A", "D.94B", "D.95A", "D.95B", "D.96A",
    "D.96B", "I.96B", "D.97A", "I.97A", "D.97B", "I.97B", "D.98A", "I.98A", "D.98B", "I.98B", "D.99A", "I.99A",
};
constexpr std::size_t kChunks[] = {io::Input::BLOCK, 1, 7, 4096};

std::FILE* messages() {
    static std::FILE* const sink = std::fopen("/dev/null", "w");
    return sink;
}

}  // namespace

void run_one(driver::Command command, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const std::uint8_t a = data[0], b = data[1];
    Context ctx(messages());
    driver::apply_command(ctx, command);
    ctx.opt.force = (a & 0x01) != 0;
    ctx.opt.UNCOMPRESSED_ZERO = (a & 0x02) != 0 ? '0' : ' ';
    ctx.opt.DOCNTNUM = (a & 0x04) != 0;
    ctx.add_at = (a & 0x08) != 0;
    ctx.add_cr = (a & 0x10) != 0;
    ctx.opt.NONEWLINE = (a & 0x20) != 0 ? 1 : 0;
    ctx.opt.REMOVE_COMMENTS = (a & 0x40) != 0;
    ctx.dir.INTERACTIVE = (a & 0x80) != 0;
    ctx.dir.GENFINDINFO = (b & 0x01) != 0;
    const unsigned directory = (b >> 1) & 0x1F;  // 0: no -D
    const std::size_t chunk = kChunks[(b >> 6) & 0x03];

    io::Input in(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), chunk);
    CountingSink sink;
    io::Output out(sink);
    try {
        if (directory >= 1 && directory <= std::size(kDirectories))
            directory::findTheDIREC(ctx.dir, kDirectories[directory - 1]);
        driver::convert(ctx, command, in, out);
    } catch (const FatalError&) {
        // A run that ends with one of the program's error messages.
    }
}

}  // namespace marlune::fuzz
