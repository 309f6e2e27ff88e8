#pragma once
// The four ways marlune-layout prints layouts: an aligned table per segment,
// CSV (one row per field), JSON (one object per segment) and a COBOL
// copybook in fixed format.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "layout/layout.hpp"

namespace marlune::layout {

enum class Format { text, csv, json, cobol };

// "text", "csv", "json" or "cobol".
std::optional<Format> parse_format(std::string_view name);

// Said once by every output.
inline constexpr std::string_view kColumnsNote =
    "Columns hold for values that fit their widths: a longer value is written whole and shifts the rest "
    "of its line.";

// What the whole output is about.
struct Heading {
    explicit Heading(std::string start = {}, bool with_interactive = false)
        : directory(std::move(start)), interactive(with_interactive) {}

    std::string directory;  // the directory the lookup starts from, "D.96A"; with `file`, the -D given or empty
    bool interactive = false;  // -I
    std::string file;          // --for: the interchange whose records these are
    std::string command = "-au";  // with `file`: the command the records are of, -au or -bu
    std::string prefix;        // COBOL: put in front of every data name
    std::vector<std::string> unknown;  // with `file`: tags defined nowhere, listed at the end of the text
};

std::string render(Format format, const Heading& heading, const std::vector<SegmentLayout>& segments);

// The pieces, for tests.
std::string render_text(const Heading& heading, const std::vector<SegmentLayout>& segments);
std::string render_csv(const Heading& heading, const std::vector<SegmentLayout>& segments);
std::string render_json(const Heading& heading, const std::vector<SegmentLayout>& segments);
std::string render_cobol(const Heading& heading, const std::vector<SegmentLayout>& segments);

// The COBOL data name of a field: <STEM>-<NN>-<ELEMENT>, NN the field
// number with at least two digits; <STEM>-<NN> when the element is not
// known. The stem is the tag, or the tag and the table ("MOA-D96A") where
// one copybook holds two rows of a tag.
std::string cobol_name(const SegmentLayout& segment, const Field& field, std::string_view stem = {});

}  // namespace marlune::layout
