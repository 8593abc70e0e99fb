#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

namespace kirpo {

namespace detail {
// A value beyond the integer's range saturates and NaN gives 0: a damaged file can never make a
// conversion undefined.
template <typename Int>
Int ToInt(double whole) {
  if (std::isnan(whole)) return 0;
  if (whole <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (whole >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(whole);
}
}  // namespace detail

// The game rounds halves to even everywhere (2.5 -> 2, 3.5 -> 4).
inline int32_t Round(double v) { return detail::ToInt<int32_t>(std::nearbyint(v)); }
inline int64_t Round64(double v) { return detail::ToInt<int64_t>(std::nearbyint(v)); }
inline int32_t Trunc(double v) { return detail::ToInt<int32_t>(std::trunc(v)); }

// Pascal-style mod: the result keeps the sign of the dividend, which C++ already does.
inline int32_t Mod(int32_t a, int32_t b) { return a % b; }

}  // namespace kirpo
