#pragma once
#include "sprites/Sprite.h"

namespace kirpo {

struct Game;

void DoMove(Game& g, TSprite& s);
void DoStep(TSprite& s);
TSprite* SpriteAhead(Game& g, const TSprite& s, int32_t direction, float distance);
bool OnGrid(const TSprite& s);
void MoveRunner(Game& g, TSprite& runner);
bool RunnerHoch(Game& g, TSprite& runner);
bool RunnerRunter(Game& g, TSprite& runner);
bool RunnerLinks(Game& g, TSprite& runner);
bool RunnerRechts(Game& g, TSprite& runner);
void RunnerGoOn(Game& g, TSprite& runner);
bool RunnerCheckCell(Game& g, TSprite& runner);
bool RunnerTryStep(Game& g, TSprite& runner, TSprite* ahead);
// Takes one more mushroom into the runner's pocket (at most eight).
void TakePilz(Game& g);

}  // namespace kirpo
