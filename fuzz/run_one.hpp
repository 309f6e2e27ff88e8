#pragma once
// One whole conversion in-process on arbitrary bytes, as the fuzz targets
// and the regression tests run it.
#include <cstddef>
#include <cstdint>

#include "driver/convert.hpp"

namespace marlune::fuzz {

// The first two bytes choose the options, the directory of -D and the size
// of the pieces in which the input arrives; the rest is the input. Fatal
// conditions of the conversion (the program's error messages) are expected
// outcomes; anything else escapes.
void run_one(driver::Command command, const std::uint8_t* data, std::size_t size);

}  // namespace marlune::fuzz
