#pragma once
#include <cstdint>

#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

void InitSpriteEngine(Game& g);
void FreeSpriteEngine(Game& g, bool figures, bool bg, bool rechte_mauer);
void CreateLevelSprites(Game& g);
void CreateFLZ(Game& g);

// Short-lived effect figures.
void CreateTouch(Game& g, float posx, float posy);
void CreatePlopp(Game& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y);
void CreateNebel(Game& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y);
void CreateBonus(Game& g, const TSprite& sprite_old, int32_t typ, int32_t fignr, int32_t ivtime, int32_t ivcount,
                 int32_t korr_x, int32_t korr_y, int32_t bonus);

}  // namespace kirpo
