#pragma once
#include <cstdint>

#include "common/Consts.h"
#include "sprites/Sprite.h"

namespace kirpo {

struct LevelScene;

void LoadRecordings(LevelScene& g);
void MakeMovie(LevelScene& g, TSprite& s, int32_t stand_bild, int32_t start_bild, int32_t ende_bild, int32_t interval_time,
               bool collisions, TAlign align, bool map_on, bool map_off, int32_t bonus_typ, int32_t bonus_fig,
               int32_t bonus, int32_t korr_x, int32_t korr_y);
void SetImageAligned(LevelScene& g, TSprite& s, int32_t fignr, TAlign align, bool map_on, bool map_off);
// One step of a "Movie" sprite's sequence (called by DoMove).
void MovieStep(LevelScene& g, TSprite& s);
// One step of a puff or fog ("Nebel", made by CreatePlopp and CreateNebel; called by DoMove):
// the next figure every IntervalTime ms, removed after the last one.
void NebelStep(LevelScene& g, TSprite& s);

}  // namespace kirpo
