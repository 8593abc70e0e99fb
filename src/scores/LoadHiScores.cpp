#include "scores/LoadHiScores.h"

#include "game/Game.h"

namespace kirpo {

// The score files are not read yet: every difficulty starts with an empty table.
void LoadHiScores(Game& g) { g.st.HiScore = 0; }

}  // namespace kirpo
