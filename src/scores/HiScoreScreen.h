#pragma once
#include <cstdint>

namespace kirpo {

struct Game;

// The attract mode's high-score screen, drawn on the frame's canvas while ShowHiScores is set:
// the splash picture for three seconds, then the table of the current difficulty.
void ShowHiScoreTable(Game& g);
// How long the splash picture stands before the table.
constexpr int64_t HiScorePictureMs = 3000;

}  // namespace kirpo
