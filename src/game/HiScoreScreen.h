#pragma once

namespace kirpo {

struct Game;

// The attract mode's high-score screen, drawn on the frame's canvas while ShowHiScores is set.
void ShowHiScoreTable(Game& g);

}  // namespace kirpo
