#pragma once
// The C locale, whatever the process locale: numbers are read and written
// with a decimal point.
#include <locale.h>

namespace marlune::expand {

locale_t c_locale() noexcept;

}  // namespace marlune::expand
