#pragma once
// Small helpers shared by the rule files (movement, collisions, monsters, balls, input).
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Consts.h"
#include "common/Rounding.h"
#include "sprites/Sprite.h"

namespace kirpo {

// The layer bit of a height: 1 shl (Round(h) - 1). A height outside 1..32 has no bit, so a
// runner that was never given its height cannot shift by a negative count.
inline int32_t LayerBitOf(float hoehe) {
  const int32_t n = Round(hoehe);
  if (n < 1 || n > 32) return 0;
  return static_cast<int32_t>(1u << (n - 1));
}

// Whether one more unit in this direction would take the figure's outline off the field.
// The field is walled in every level we ship; this only guards open edges.
inline bool StepLeavesField(const TSprite& s, int32_t direction) {
  const int32_t x = Round(s.X), y = Round(s.Y);
  switch (direction) {
    case RiNord: return y - 1 < 0;
    case RiOst: return x + s.PatternWidth + 1 > DesignWidth;
    case RiSued: return y + s.PatternHeight + 1 > DesignHeight;
    case RiWest: return x - 1 < 0;
    default: return false;
  }
}

// A shot that stops becomes a resting mushroom where it is, and stops spinning.
inline void ShotBecomesPilz(TSprite& s, int32_t pilz_speed) {
  s.Typ = TypPilz;
  s.TypDirection = RiNull;
  s.TypSpeed = static_cast<float>(pilz_speed);
  s.Angle = 0;
  s.AnimSpeed = 0;
  s.AngleTick = 0;
}

// A Single as the log lines show it: the shortest general form, no exponent for ordinary values.
inline std::string FloatText(float v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.15g", static_cast<double>(v));
  return buf;
}

inline bool IsMonster(const TSprite* s) { return s && (s->Typ == TypKMonster || s->Typ == TypGMonster); }
inline bool IsBall(const TSprite* s) { return s && (s->Typ == TypBBall || s->Typ == TypRBall); }
inline bool IsDoorOrBlock(const TSprite* s) { return s && (s->Typ == TypDoor || s->Typ == TypStein); }

}  // namespace kirpo
