#pragma once
#include <cstdint>

namespace kirpo {

struct Game;

// StartMode: 0 first (attract) start, 1 new game, 2 retry or resumed game, 4 next level.
void NewGame(Game& g, int32_t start_mode);
void InitGameVars(Game& g, int32_t start_mode);
void PrepareFirstRun(Game& g);
void RetryLevel(Game& g);
void GameOver(Game& g);
// Periodic callback (id 10): walks the next reserve runner from the display onto the field.
void FreeRunner(Game& g);
// Shows or hides the control mode's buttons and optionally stores the choice.
void SetNavButtons(Game& g, bool activate, bool write_to_config);
void ApplyNavButtons(Game& g);

}  // namespace kirpo
