#pragma once
#include <cstdint>
#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

// One frame: chooses the screen, runs the update pass, draws, performs transitions.
void GameAction(Game& g);
// While the attract mode shows its splash or its high-score table, every frame draws the same
// picture and changes nothing until this moment, unless a key or a click comes; 0 otherwise.
int64_t AttractStillPictureEndsAt(const Game& g);
// The update pass alone (four speed passes over all sprites); used by GameAction and replay tools.
void UpdatePass(Game& g);
// The level picture: background and sprites layer by layer, on g.PaintCanvas (nothing without one).
void DrawPass(Game& g);
void QuitGame(Game& g);
void RunnerCheer(Game& g, TSprite& runner);

}  // namespace kirpo
