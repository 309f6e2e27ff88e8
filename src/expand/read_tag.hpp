#pragma once
// Per-segment entry shared by both directions, and the expansion of one
// compressed segment into its fixed-width line.
#include "common/definition.hpp"
#include "expand/conversion.hpp"
#include "expand/message.hpp"

namespace marlune::expand {

// Converts the segment whose tag has just been read, under `definition`,
// with `convert` (the expansion or the compression, as the run goes): a
// message header starts a message, a CNT segment is marked, and the byte
// that follows the segment in the input is returned.
template <class Converter>
int read_tag(Conversion& conv, const Definition& definition, Converter&& convert) {
    if (definition.tag() == "UNH") message_start(conv.msg, conv.dir);
    conv.msg.INCNTNUM = definition.tag() == "CNT" ? 1 : 0;
    const int next = convert(conv, definition);
    conv.msg.inUNH = 0;
    return next;
}

// Expands one compressed segment; returns the byte after it. `per_field`
// writes every absent field on its own, the reference for the runs of
// absent fields written at once.
int read_tag_cu(Conversion& conv, const Definition& definition, bool per_field = false);

// Writes the line of a segment that takes nothing from the input: the tag,
// every field as absent, the line end.
void write_absent(Conversion& conv, const Definition& definition);

// At the end of an expansion run: the number of values longer than their
// fields, when there was more than the one reported as it was met.
void report_long_values(Conversion& conv);

}  // namespace marlune::expand
