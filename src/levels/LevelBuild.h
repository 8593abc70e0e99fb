#pragma once
#include <cstdint>

#include "sprites/Sprite.h"

namespace kirpo {

struct LevelScene;

void InitSpriteEngine(LevelScene& g);
void FreeSpriteEngine(LevelScene& g, bool figures, bool bg, bool rechte_mauer);
void CreateLevelSprites(LevelScene& g);
void CreateFLZ(LevelScene& g);

// Short-lived effect figures.
void CreateTouch(LevelScene& g, float posx, float posy);
void CreatePlopp(LevelScene& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y);
void CreateNebel(LevelScene& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y);
void CreateBonus(LevelScene& g, const TSprite& sprite_old, int32_t typ, int32_t fignr, int32_t ivtime, int32_t ivcount,
                 int32_t korr_x, int32_t korr_y, int32_t bonus);

}  // namespace kirpo
