#pragma once
#include <cstdint>
#include <string>

namespace kirpo {

// The game's dotted number look: in the first characters of the field every blank and every
// zero is shown as the letter O. Longer numbers are not cut.
// "OOO123O" for 1230: seven characters.
std::string ScoreToStr(int32_t score);
// "OO25O" for 250: five characters.
std::string BonusToStr(int32_t bonus);
// " 1" .. " 9", then "1O" for 10.
std::string RankToStr(int32_t rank);

}  // namespace kirpo
