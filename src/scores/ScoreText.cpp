#include "scores/ScoreText.h"

#include <cstdio>

namespace kirpo {

namespace {

std::string PaddedWithOs(int32_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%*d", width, static_cast<int>(value));
  std::string s = buf;
  for (size_t i = 0; i < static_cast<size_t>(width) && i < s.size(); ++i)
    if (s[i] == ' ' || s[i] == '0') s[i] = 'O';
  return s;
}

}  // namespace

std::string ScoreToStr(int32_t score) { return PaddedWithOs(score, 7); }

std::string BonusToStr(int32_t bonus) { return PaddedWithOs(bonus, 5); }

std::string RankToStr(int32_t rank) {
  if (rank < 10) return " " + std::to_string(rank);
  std::string s = std::to_string(rank);
  if (s[1] == '0') s[1] = 'O';
  return s;
}

}  // namespace kirpo
