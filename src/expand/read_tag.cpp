#include "expand/read_tag.hpp"

#include <array>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "common/context.hpp"
#include "common/definition.hpp"
#include "compress/to_compr.hpp"
#include "expand/message.hpp"

namespace marlune::expand {

namespace {

bool numeric(char type) noexcept { return type == 'N' || type == 'n'; }

// Expansion of one segment: walks the definition and reads the input only as
// far as the definition reaches.
class Expander {
public:
    Expander(Context& ctx)
        : ctx_(ctx), in_(*ctx.in), out_(*ctx.out), sep_(ctx.sep), stops_(ctx.value_stops.of(ctx.sep)) {}

    int run(const Definition& definition) {
        cu_fieldno_ = 0;
        out_.CPUT(definition.text[0]);
        out_.CPUT(definition.text[1]);
        out_.CPUT(definition.text[2]);
        ending_ = in_.FGETC();
        if (in_.FEOF()) ended_ = true;
        read_plus(definition.fields);
        const int next = in_.FGETC();
        if (ctx_.add_at) out_.CPUT('@');
        if (ctx_.add_cr) out_.CPUT('\r');
        out_.CPUT('\n');
        if (ended_)
            std::fprintf(ctx_.err, "Warning: input ends inside segment %.3s (line %d)\n", definition.text,
                         in_.LINENO);
        return next;
    }

private:
    // The data elements of the segment. A compiled definition begins with a
    // '+' field and read_colon stops at the next one, so every field here
    // begins a data element.
    void read_plus(std::span<const Field> fields) {
        const Field* pos = fields.data();
        const Field* const end = pos + fields.size();
        while (pos != end) {
            const Field& f = *pos++;
            const bool present = take_value(sep_.element);
            write_field(f, present, false);
            ++cu_fieldno_;
            pos = read_colon(pos, end);
        }
    }

    // The further components of one data element; returns the next field
    // that begins a data element, or the end.
    const Field* read_colon(const Field* pos, const Field* end) {
        for (; pos != end && pos->lead == ':'; ++pos) {
            const Field& f = *pos;
            const bool present = take_value(sep_.component);
            const bool total = ctx_.opt.DOCNTNUM && ctx_.msg.INCNTNUM && numeric(f.type);
            write_field(f, present, total);
            ++cu_fieldno_;
            if (ctx_.msg.inUNH && (cu_fieldno_ == 3 || cu_fieldno_ == 4))
                capture_unh(ctx_, cu_fieldno_, ctx_.field);
        }
        return pos;
    }

    // A field is present when the byte that ended the previous value is the
    // separator that introduces it; its value is then read.
    bool take_value(signed char introducer) {
        ctx_.field.clear();
        if (ended_ || ending_ != introducer) return false;
        read_value();
        return true;
    }

    void read_value() {
        std::string& field = ctx_.field;
        for (;;) {
            take_ordinary_bytes(field);
            int c = in_.FGETC();
            if (in_.FEOF()) {
                ended_ = true;
                return;
            }
            if (c == sep_.element || c == sep_.component || c == sep_.terminator) {
                ending_ = c;
                return;
            }
            if (c == sep_.release) {
                c = in_.FGETC();
                if (in_.FEOF()) {
                    ended_ = true;
                    return;
                }
            }
            field.push_back(static_cast<char>(c));
        }
    }

    // Appends the bytes that the input holds ready up to the first one that
    // needs a closer look (a separator, the release character or a line feed,
    // which FGETC counts).
    void take_ordinary_bytes(std::string& field) {
        const std::string_view ready = in_.pending();
        std::size_t n = 0;
        while (n < ready.size() && !stops_[static_cast<unsigned char>(ready[n])]) ++n;
        if (n == 0) return;
        field.append(ready.data(), n);
        in_.consume(n);
    }

    void write_numeric(std::string_view v, long width) {
        const auto pad = width - static_cast<long>(v.size());
        if (!v.empty() && v[0] == '-') {
            out_.CPUT('-');
            out_.fill('0', pad);
            out_.CPUTS(v.substr(1));
        } else {
            out_.fill('0', pad);
            out_.CPUTS(v);
        }
    }

    [[gnu::always_inline]] void write_field(const Field& f, bool present, bool total) {
        std::string& v = ctx_.field;
        const bool force = ctx_.opt.force;
        double& cntnum = ctx_.msg.cntnum;
        if (!numeric(f.type)) {
            if (!v.empty()) {
                out_.CPUTS(v);
                out_.fill(' ', f.width - static_cast<long>(v.size()));
            } else if (force) {
                if (present) v.assign(1, '-');
                out_.CPUT('-');
                out_.fill(' ', f.width - 1);
            } else {
                out_.fill(' ', f.width);
            }
            return;
        }
        if (total) {
            // -num: the component carries the number total instead of its value.
            v = prtCntNum(cntnum);
            cntnum += numeric_value(v);
            write_numeric(v, f.width);
        } else if (!v.empty()) {
            cntnum += numeric_value(v);
            write_numeric(v, f.width);
        } else if (force) {
            if (present) v.assign(1, '1');
            out_.fill(present ? ctx_.opt.UNCOMPRESSED_ZERO : '0', f.width - 1);
            out_.CPUT('1');
            cntnum += 1;
        } else {
            out_.fill(ctx_.opt.UNCOMPRESSED_ZERO, f.width);
        }
    }

    Context& ctx_;
    io::Input& in_;
    io::Output& out_;
    const Separators sep_;
    const std::array<bool, 256>& stops_;
    int ending_ = 0;      // the byte that ended the last value read
    bool ended_ = false;  // the input ended inside this segment
    int cu_fieldno_ = 0;
};

}  // namespace

int read_tag_cu(Context& ctx, const Definition& definition) { return Expander(ctx).run(definition); }

int read_tag(Context& ctx, const Definition& definition) {
    if (std::strncmp(definition.text, "UNH", 3) == 0) message_start(ctx.msg);
    ctx.msg.INCNTNUM = std::strncmp(definition.text, "CNT", 3) == 0 ? 1 : 0;
    const int next = ctx.direction ? compress::to_compr(ctx, definition) : read_tag_cu(ctx, definition);
    ctx.msg.inUNH = 0;
    return next;
}

}  // namespace marlune::expand
