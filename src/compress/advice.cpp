#include "compress/advice.hpp"

#include "common/advice.hpp"
#include "compress/compactor.hpp"
#include "expand/conversion.hpp"

namespace marlune::compress {

int write_advice(Conversion& conv, Compactor& compactor) {
    io::Output& out = *conv.out;
    const std::int64_t line = conv.LINENO();
    compactor.flush(out, line, conv.sep);
    // Written as it stands: none of its separators is held back or
    // released, and it holds no line end that -n would drop.
    const bool level_a = conv.sep == Separators::level_a();
    out.put_verbatim(level_a ? ServiceAdvice::level_a() : ServiceAdvice::level_b());
    if (conv.add_at) compactor.put(out, line, conv.sep, '@');
    if (conv.add_cr) compactor.put(out, line, conv.sep, '\r');
    compactor.put(out, line, conv.sep, '\n');
    return conv.in->FGETC();
}

}  // namespace marlune::compress
