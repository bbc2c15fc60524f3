#include "Currency.h"

#include <charconv>
#include <cmath>

#include "AnsiString.h"
#include "Exceptions.h"
#include "FloatFormat.h"

namespace platform {

Currency Currency::FromDouble(double v) {
  Currency result;
  if (std::isfinite(v)) {
    // Every digit of the binary value (at most 767 significant digits), so
    // that rounding to four decimals rounds once and from the true value.
    char buffer[800];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 766);
    if (written.ec == std::errc() &&
        TryStrToCurr(AnsiString(buffer, static_cast<std::size_t>(written.ptr - buffer)), result))
      return result;
  }
  throw EConvertError(FloatToStr(v) + " is not a valid currency value");
}

}  // namespace platform
