#pragma once
#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

void MoveKMonster(Game& g, TSprite& s);
void MoveGMonster(Game& g, TSprite& s);

}  // namespace kirpo
