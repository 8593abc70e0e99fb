#pragma once

namespace kirpo {

struct Game;

// The attract mode's high-score screen, drawn on the frame's canvas while ShowHiScores is set:
// the splash picture for three seconds, then the table of the current difficulty.
void ShowHiScoreTable(Game& g);

}  // namespace kirpo
