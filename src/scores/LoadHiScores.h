#pragma once

namespace kirpo {

struct Game;

// Reads the high-score table of the current difficulty (g.st.Difficulty); at start-up and whenever the
// player picks another difficulty in the start menu.
void LoadHiScores(Game& g);

}  // namespace kirpo
