// Currency: a fixed-point number with four decimals, as the class library
// keeps money (a 64-bit integer scaled by 10000).
#pragma once

#include <compare>
#include <cstdint>

namespace platform {

struct Currency {
  std::int64_t scaled = 0;  // value x 10000

  static Currency FromScaled(std::int64_t v) { return Currency{v}; }
  // Rounds half away from zero to four decimals.
  static Currency FromDouble(double v);
  double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
  friend auto operator<=>(const Currency&, const Currency&) = default;
};

}  // namespace platform
