#pragma once
#include <cstdint>

#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

void MoveRBall(Game& g, TSprite& s);
void MoveBBall(Game& g, TSprite& s);
void MovePilz(Game& g, TSprite& s);
void MoveSchuss(Game& g, TSprite& s);
void Shoot(Game& g);
void InitSchuss(Game& g, TSprite& owner, int32_t layer, int32_t direction, int32_t image, float height, float y,
                float x, float speed);

}  // namespace kirpo
