#pragma once
#include <cmath>
#include <cstdint>

namespace kirpo {

// The game rounds halves to even everywhere (2.5 -> 2, 3.5 -> 4).
inline int32_t Round(double v) { return static_cast<int32_t>(std::nearbyint(v)); }
inline int64_t Round64(double v) { return static_cast<int64_t>(std::nearbyint(v)); }
inline int32_t Trunc(double v) { return static_cast<int32_t>(v); }

// Pascal-style mod: the result keeps the sign of the dividend, which C++ already does.
inline int32_t Mod(int32_t a, int32_t b) { return a % b; }

}  // namespace kirpo
