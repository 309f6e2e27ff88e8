#include "expand/message.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "directory/lookup.hpp"
#include "expand/c_locale.hpp"
#include "expand/conversion.hpp"

namespace marlune::expand {

void message_start(MessageState& msg, directory::Selection& dir) {
    msg.cntnum = 0.0;
    msg.PREVDIREC = dir.DIREC;
    msg.PREVMSTYPEVER = dir.MSTYPEVER;
    dir.DIREC.clear();
    dir.MSTYPEVER.clear();
    ++msg.MESSNO;
    msg.inUNH = 1;
}

namespace {

// Blanks at the end, then blanks at the start, removed; a to z upper-cased.
void tidy(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const auto first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

}  // namespace

void capture_unh(Conversion& conv, int fieldno, std::string_view value) {
    if (!conv.msg.inUNH || (fieldno != 3 && fieldno != 4)) return;
    const bool version = fieldno == 3;
    std::string& current = version ? conv.dir.MSTYPEVER : conv.dir.DIREC;
    const std::string& previous = version ? conv.msg.PREVMSTYPEVER : conv.msg.PREVDIREC;
    current.assign(value.substr(0, MAX_CAPTURE));
    tidy(current);
    if (current == previous) return;
    std::fprintf(conv.err, "New directory (UNH.%s) '%s' detected (message %lld, line %lld)\n",
                 version ? "0052" : "0054", current.c_str(), static_cast<long long>(conv.msg.MESSNO),
                 static_cast<long long>(conv.LINENO()));
    if (!version) directory::findDirec(conv.dir, conv.dir.DIREC.c_str());
}

std::string prtCntNum(double cntnum) {
    // Fixed notation of any double fits: at most 309 integer digits, a sign,
    // a point and 18 decimals.
    std::array<char, 400> buf;
    const locale_t previous = uselocale(c_locale());
    const int n = std::snprintf(buf.data(), buf.size(), "%.18f", cntnum);
    uselocale(previous);
    std::string text(buf.data(), static_cast<std::size_t>(n > 0 ? n : 0));
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace marlune::expand
