#pragma once

namespace kirpo {

struct Game;

// Replaces the table in memory with the file of the current difficulty (g.st.Difficulty) and sets
// HiScore; at start-up and whenever the player picks another difficulty in the start menu.
void LoadHiScores(Game& g);

}  // namespace kirpo
