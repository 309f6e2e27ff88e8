#include "expand/read_tag.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "common/definition.hpp"
#include "expand/conversion.hpp"
#include "expand/message.hpp"

namespace marlune::expand {

namespace {

bool numeric(char type) noexcept { return type == 'N' || type == 'n'; }

// Expansion of one segment: walks the definition and reads the input only as
// far as the definition reaches.
class Expander {
public:
    explicit Expander(Conversion& ctx, bool per_field = false)
        : ctx_(ctx),
          in_(*ctx.in),
          out_(*ctx.out),
          sep_(ctx.sep),
          stops_(ctx.value_stops),
          blank_absent_(!per_field && !ctx.opt.force && ctx.opt.UNCOMPRESSED_ZERO == ' ' && !ctx.msg.inUNH &&
                        !(ctx.opt.DOCNTNUM && ctx.msg.INCNTNUM)),
          plain_(!per_field && !ctx.opt.DOCNTNUM) {
        ctx.value_stops.of(sep_);
    }

    int run(const Definition& definition) {
        begin(definition);
        ending_ = significant(in_.FGETC());
        if (in_.FEOF()) ended_ = true;
        read_plus(definition.fields);
        // The byte after the segment. Before the terminator (a segment with
        // more fields than its definition) line ends are still layout.
        int next = in_.FGETC();
        if (!ended_ && ending_ != sep_.terminator) next = significant(next);
        end(definition);
        return next;
    }

    // The line of a segment that has no input (every field absent): the
    // service string advice, whose bytes are not fields.
    void run_absent(const Definition& definition) {
        begin(definition);
        ending_ = kNoByte;
        read_plus(definition.fields);
        end(definition);
    }

private:
    // Stands for "no byte ended a value": equal to no separator.
    static constexpr int kNoByte = -1000;

    void begin(const Definition& definition) {
        tag_ = definition.text;
        line_width_ = definition.line_width;
        cu_fieldno_ = 0;
        if (char* to = out_.NONEWLINE ? nullptr : out_.room_for(3)) {
            std::memcpy(to, definition.text, 3);
            out_.commit(3);
        } else {
            out_.CPUT(definition.text[0]);
            out_.CPUT(definition.text[1]);
            out_.CPUT(definition.text[2]);
        }
    }

    void end(const Definition& definition) {
        if (ctx_.add_at) out_.CPUT('@');
        if (ctx_.add_cr) out_.CPUT('\r');
        out_.CPUT('\n');
        if (ended_) {
            std::fprintf(ctx_.err, "Warning: input ends inside segment %.3s (line %lld)\n", definition.text,
                         static_cast<long long>(in_.LINENO));
            ctx_.loss_warning();
        }
    }

    // A carriage return or line feed inside a segment is layout (a wrapped
    // interchange), not data, unless the advice made it a separator: the
    // first byte from `c` on that is not one.
    int significant(int c) {
        while (!in_.FEOF() && sep_.layout(c)) c = in_.FGETC();
        return c;
    }

    // The fields of a line written in place: into the output buffer past
    // its committed bytes, where it has the room for the whole line, and
    // read from the input block where they stand, each through a cursor of
    // the line's own (which stays in a register, where the lengths of the
    // buffer and the block would be stored and loaded again for every
    // field). Both are settled at once before anything else writes or
    // reads (settle()).
    class InPlace {
    public:
        InPlace(io::Output& out, io::Input& in, std::size_t room, bool wanted) noexcept : out_(out), in_(in) {
            if (wanted) renew(room);
        }
        // Where the next bytes go; nullptr when the line is not written in
        // place (now).
        char* to() const noexcept { return to_; }
        void advance(std::size_t n) noexcept { to_ += n; }
        // The bytes of the block not read yet, while the line is written in
        // place.
        std::string_view ready() const noexcept { return {from_, static_cast<std::size_t>(end_ - from_)}; }
        // `n` of them read.
        void take(std::size_t n) noexcept { from_ += n; }
        void settle() noexcept {
            if (to_ == nullptr) return;
            out_.commit(static_cast<std::size_t>(to_ - start_));
            in_.consume(static_cast<std::size_t>(from_ - first_));
            start_ = to_ = nullptr;
        }
        void renew(std::size_t room) noexcept {
            start_ = to_ = out_.room_for(room);
            const std::string_view pending = in_.pending();
            first_ = from_ = pending.data();
            end_ = pending.data() + pending.size();
        }

    private:
        io::Output& out_;
        io::Input& in_;
        char* start_ = nullptr;
        char* to_ = nullptr;
        const char* first_ = nullptr;
        const char* from_ = nullptr;
        const char* end_ = nullptr;
    };

    // Blanks, in place where the line is written so.
    void blanks(InPlace& place, std::ptrdiff_t width) {
        if (char* to = place.to()) {
            if (width <= 0) return;
            io::fill_chunks(to, ' ', static_cast<std::size_t>(width));
            place.advance(static_cast<std::size_t>(width));
        } else {
            out_.fill(' ', width);
        }
    }

    // Room for what a line's fields write where all its values fit, with
    // the slack of the chunk copies.
    std::size_t line_room() const noexcept { return line_width_ + io::CHUNK; }

    // The data elements of the segment. A compiled definition begins with a
    // '+' field and read_colon stops at the next one, so every field here
    // begins a data element.
    void read_plus(std::span<const Field> fields) {
        InPlace place(out_, in_, line_room(), plain_);
        const Field* pos = fields.data();
        const Field* const end = pos + fields.size();
        while (pos != end) {
            // After the segment's end nothing is read any more: every
            // later field is absent. (After a surplus component the data
            // element is absent, but the components that follow are read.)
            if (blank_absent_ && (ended_ || (ending_ != sep_.element && ending_ != sep_.component))) {
                // Blanks up to the end of the line, found from the columns.
                blanks(place, static_cast<std::ptrdiff_t>(line_width_) - static_cast<std::ptrdiff_t>(pos->column - 1));
                cu_fieldno_ += static_cast<int>(end - pos);
                place.settle();
                return;
            }
            field_or_value(*pos++, sep_.element, false, false, place);
            ++cu_fieldno_;
            pos = read_colon(pos, end, place);
        }
        place.settle();
    }

    // The further components of one data element; returns the next field
    // that begins a data element, or the end.
    [[gnu::always_inline]] const Field* read_colon(const Field* pos, const Field* end, InPlace& place) {
        for (; pos != end && pos->lead == ':'; ++pos) {
            // A component that is not there: neither are the rest of its
            // data element's.
            if (blank_absent_ && (ended_ || ending_ != sep_.component)) {
                return absent(pos, end, place);
            }
            const Field& f = *pos;
            const bool total = ctx_.opt.DOCNTNUM && ctx_.msg.INCNTNUM && numeric(f.type);
            const bool capture = ctx_.msg.inUNH && (cu_fieldno_ == 2 || cu_fieldno_ == 3);
            field_or_value(f, sep_.component, total, capture, place);
            ++cu_fieldno_;
            if (capture) capture_unh(ctx_, cu_fieldno_, capture_);
        }
        return pos;
    }

    // The absent components from `pos` on, written at once: blanks of
    // their widths (only where blank_absent_ holds, so that each would
    // have written exactly that). Returns the first field after them.
    [[gnu::always_inline]] const Field* absent(const Field* pos, const Field* end, InPlace& place) {
        std::ptrdiff_t width = 0;
        for (; pos != end && pos->lead == ':'; ++pos) {
            width += pos->width;
            ++cu_fieldno_;
        }
        blanks(place, width);
        return pos;
    }

    // One field: present when the byte that ended the previous value is the
    // separator that introduces it; its value is then read and written as it
    // comes, so that a value of any length needs no more memory than a
    // numeric field's width. `capture` keeps the value's beginning for the
    // message header.
    // field(), with a present value that the block holds whole written
    // where it stands (value_in_block).
    [[gnu::always_inline]] void field_or_value(const Field& f, signed char introducer, bool total, bool capture,
                                               InPlace& place) {
        if (plain_ && !total && !capture && !ended_ && ending_ == introducer && value_in_block(f, place)) return;
        if (place.to() != nullptr) {
            place.settle();
            field(f, introducer, total, capture);
            place.renew(line_room());
        } else {
            field(f, introducer, total, capture);
        }
    }

    void field(const Field& f, signed char introducer, bool total, bool capture) {
        const bool present = !ended_ && ending_ == introducer;
        capture_.clear();
        auto keep = [this, capture](std::string_view run) {
            if (capture && capture_.size() < MAX_CAPTURE)
                capture_.append(run.substr(0, MAX_CAPTURE - capture_.size()));
        };
        if (total) {
            // -num: the component carries the number total instead of its
            // value, which is read and dropped.
            if (present) read_value([](std::string_view) {});
            double& cntnum = ctx_.msg.cntnum;
            const std::string v = prtCntNum(cntnum);
            cntnum += numeric_value(v);
            write_numeric(v, f.width);
            if (static_cast<long>(v.size()) > f.width) long_value(v.size(), f.width);
            keep(v);
        } else if (numeric(f.type)) {
            numeric_field(f.width, present, keep);
        } else {
            alphanumeric_field(f.width, present, keep);
        }
    }

    template <class Keep>
    void alphanumeric_field(long width, bool present, Keep& keep) {
        std::size_t n = 0;
        if (present) {
            read_value([&](std::string_view run) {
                out_.CPUTS(run);
                n += run.size();
                keep(run);
            });
        }
        if (n != 0) {
            const std::ptrdiff_t pad = width - static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, PTRDIFF_MAX));
            if (pad < 0) [[unlikely]] long_value(n, width);
            out_.fill(' ', pad);
        } else if (ctx_.opt.force) {
            if (present) keep("-");
            out_.CPUT('-');
            out_.fill(' ', width - 1);
        } else {
            out_.fill(' ', width);
        }
    }

    // A numeric value is held up to one byte beyond its width: a shorter one
    // is padded in front, a longer one needs no padding and streams on.
    template <class Keep>
    void numeric_field(long width, bool present, Keep& keep) {
        std::string& held = ctx_.field;
        held.clear();
        double& cntnum = ctx_.msg.cntnum;
        bool streaming = false;
        std::size_t streamed = 0;  // bytes after the first width + 1
        if (present) {
            const std::size_t limit = static_cast<std::size_t>(width < 0 ? 0 : width) + 1;
            read_value([&](std::string_view run) {
                keep(run);
                if (!streaming) {
                    const std::size_t take = std::min(run.size(), limit - held.size());
                    held.append(run.data(), take);
                    if (held.size() < limit) return;
                    streaming = true;
                    ctx_.number.reset();
                    ctx_.number.feed(held);
                    out_.CPUTS(held);
                    run.remove_prefix(take);
                }
                streamed += run.size();
                ctx_.number.feed(run);
                out_.CPUTS(run);
            });
        }
        if (streaming) {
            cntnum += ctx_.number.value();
            long_value(held.size() + streamed, width);
        } else if (!held.empty()) {
            // Only -num ever writes the total: without it the value is not
            // read as a number.
            if (ctx_.opt.DOCNTNUM) cntnum += numeric_value(held);
            write_numeric(held, width);
        } else if (ctx_.opt.force) {
            if (present) keep("1");
            out_.fill(present ? ctx_.opt.UNCOMPRESSED_ZERO : '0', width - 1);
            out_.CPUT('1');
            cntnum += 1;
        } else {
            out_.fill(ctx_.opt.UNCOMPRESSED_ZERO, width);
        }
    }

    // A value that the input block holds up to its separator, with nothing
    // in it to look at closer (no line end; in an alphanumeric value,
    // released characters too) and no longer than its field: copied with
    // its fill straight into the output buffer, sixteen bytes at a time (the
    // stores may reach past the field into room written later; the loads
    // past the value stay in the block's slack). False, with nothing read or
    // committed, for any other.
    [[gnu::always_inline]] bool value_in_block(const Field& f, InPlace& place) {
        char* const to = place.to();
        if (to == nullptr) return false;
        const std::string_view ready = place.ready();
        std::size_t n = stops_.run_length_padded(ready);  // bytes of the value
        const std::size_t width = f.width;
        if (n >= ready.size() || n > width) return false;
        const char* from = ready.data();
        std::size_t read = n;  // bytes of the input
        int c = static_cast<signed char>(ready[read]);
        if (!numeric(f.type)) {
            io::copy_chunks(to, from, n);
            // Each released byte is taken as it is (a line feed, which
            // FGETC counts, is left to the general way), then the next run.
            while (c == sep_.release) {
                if (read + 1 >= ready.size() || n == width || ready[read + 1] == '\n') return false;
                to[n++] = ready[read + 1];
                read += 2;
                const std::size_t run = stops_.run_length_padded(ready.substr(read));
                if (read + run >= ready.size() || n + run > width) return false;
                io::copy_chunks(to + n, from + read, run);
                n += run;
                read += run;
                c = static_cast<signed char>(ready[read]);
            }
            if (!sep_.separates(c)) return false;
            if (n == 0 && ctx_.opt.force) return false;
            io::fill_chunks(to + n, ' ', width - n);
        } else {
            if (!sep_.separates(c)) return false;
            if (n == 0) {
                if (ctx_.opt.force) return false;
                io::fill_chunks(to, ctx_.opt.UNCOMPRESSED_ZERO, width);
            } else {
                // Zeros in front, after the sign of a negative value.
                std::size_t at = 0, digits = n;
                if (from[0] == '-') {
                    to[at++] = '-';
                    ++from;
                    --digits;
                }
                io::fill_chunks(to + at, '0', width - n);
                io::copy_chunks(to + at + width - n, from, digits);
            }
        }
        place.advance(width);
        place.take(read + 1);
        if (c == '\n') ++in_.LINENO;
        ending_ = c;
        return true;
    }

    // Reads a value up to its separator, handing it to `sink` in runs: the
    // bytes the input holds ready up to the first one that needs a closer
    // look (a separator, the release character or a line feed, which FGETC
    // counts), and each released byte.
    template <class Sink>
    void read_value(Sink&& sink) {
        for (;;) {
            const std::string_view ready = in_.pending();
            const std::size_t n = stops_.run_length_padded(ready);
            if (n != 0) {
                sink(ready.substr(0, n));
                in_.consume(n);
            }
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
            } else if (sep_.layout(c)) {
                continue;
            }
            const char byte = static_cast<char>(c);
            sink(std::string_view(&byte, 1));
        }
    }

    // A value of `n` characters written whole into a field of `width`, which
    // it overflows: the first of the run is reported, all are counted
    // (report_long_values).
    [[gnu::cold]] [[gnu::noinline]] void long_value(std::size_t n, long width) {
        if (ctx_.long_values++ != 0) return;
        std::fprintf(ctx_.err,
                     "Warning: value longer than its field: %.3s field %d holds %lld characters for %d (line %lld); "
                     "the columns after it shift\n",
                     tag_, cu_fieldno_ + 1, static_cast<long long>(n), static_cast<int>(width),
                     static_cast<long long>(in_.LINENO));
        ctx_.loss_warning();
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

    Conversion& ctx_;
    io::Input& in_;
    io::Output& out_;
    const Separators sep_;
    const StopBytes<2>& stops_;
    // An absent field writes nothing but blanks of its width: no -f, no -0,
    // no header capture, no number total.
    const bool blank_absent_;
    // A present value may be copied straight from the block: no -num, whose
    // total reads every number.
    const bool plain_;
    const char* tag_ = "";  // the definition's text, which begins with the tag
    std::uint32_t line_width_ = 0;  // the definition's line width, when values fit
    std::string capture_;  // the beginning of a value for the message header
    int ending_ = 0;      // the byte that ended the last value read
    bool ended_ = false;  // the input ended inside this segment
    int cu_fieldno_ = 0;
};

}  // namespace

int read_tag_cu(Conversion& conv, const Definition& definition, bool per_field) {
    return Expander(conv, per_field).run(definition);
}

void write_absent(Conversion& conv, const Definition& definition) { Expander(conv).run_absent(definition); }

void report_long_values(Conversion& conv) {
    if (conv.long_values > 1)
        std::fprintf(conv.err, "Warning: %lld values longer than their fields\n",
                     static_cast<long long>(conv.long_values));
}

}  // namespace marlune::expand
