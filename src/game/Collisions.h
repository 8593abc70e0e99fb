#pragma once
#include <cstdint>
#include <string>

#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

void Collision(Game& g, TSprite& self);
void DoCollision(Game& g, TSprite& self, TSprite& other, bool& done);
void KillRunner(Game& g, TSprite& victim, TSprite* killer, int32_t bild_nr, const std::string& reason);

}  // namespace kirpo
