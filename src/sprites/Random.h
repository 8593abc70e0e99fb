#pragma once
#include <cstdint>

namespace kirpo {

// The game's repeatable generator: a 32-bit linear congruence, reset to seed 96 at every attempt.
struct RandomGenerator {
  uint32_t RandSeed = 0;
  void Reset() { RandSeed = 96; }
  uint32_t Next() { return RandSeed = RandSeed * 134775813u + 1u; }
  // 0 .. range - 1
  int32_t RandomInt(int32_t range) {
    Next();
    return static_cast<int32_t>((static_cast<uint64_t>(RandSeed) * static_cast<uint32_t>(range)) >> 32);
  }
  double RandomFloat() {
    Next();
    return RandSeed * (1.0 / 4294967296.0);
  }
  bool RandomBool() { return RandomFloat() > 0.5; }
};

}  // namespace kirpo
