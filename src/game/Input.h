#pragma once
#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

// Binds the main form's buttons and menu icons to their handlers.
void BindMainFormInput(Game& g);
// A press on the play-field, in paint-box pixels (pbox_w x pbox_h).
void pboxMouseDown(Game& g, float x, float y, int pbox_w, int pbox_h);
void SetNavTarget(Game& g, bool left, bool right, bool up, bool down, float x, float y);
bool TapHitsMonster(Game& g, float design_x, float design_y);
// Points the runner at the monster and throws when the cell beyond the monster is free.
void AimAtMonster(Game& g, TSprite& monster, float design_x, float design_y);
void b_menueClick(Game& g);
// Shows the pause or the play icon, whichever fits the game's state.
void ShowPauseState(Game& g);

}  // namespace kirpo
