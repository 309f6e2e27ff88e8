#pragma once
// Per-message state shared by both conversion directions: the message start
// at every UNH, the version and release captured from it, and the number
// total of the message.
#include <string>
#include <cstdint>
#include <string_view>

#include "expand/number.hpp"

namespace marlune {
struct Conversion;
}
namespace marlune::directory {
struct Selection;
}

namespace marlune::expand {

struct MessageState {
    // (The current release and version, DIREC and MSTYPEVER, choose the
    // directory and live with it.)
    std::string PREVDIREC;      // release of the previous message
    std::string PREVMSTYPEVER;  // version of the previous message
    std::int64_t MESSNO = 0;    // number of the current message (64 bits: never wraps)
    int inUNH = 0;              // 1 while a UNH segment is converted
    int INCNTNUM = 0;           // 1 while a CNT segment is converted
    double cntnum = 0.0;        // number total of the current message
};

// Longest version or release kept from a UNH segment.
inline constexpr std::size_t MAX_CAPTURE = 24;

// A UNH segment begins: the current version and release become the previous
// ones, the total is reset and the message counted.
void message_start(MessageState& msg, directory::Selection& dir);

// Called after field `fieldno` (counted from 1) of a UNH segment has been
// converted: fields 3 and 4 are the message version and release.
void capture_unh(Conversion& conv, int fieldno, std::string_view value);

// The number total as text: fixed notation with 18 decimals, trailing zeros
// and a trailing point removed.
std::string prtCntNum(double cntnum);

}  // namespace marlune::expand
