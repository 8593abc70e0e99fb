#pragma once
#include <cstdint>

#include "sprites/Sprite.h"

namespace kirpo {

struct SpriteScene;

// Creating, re-imaging, removing, mapping and overlap-testing sprites.
TSprite* CreateSprite(SpriteScene& g, int32_t typ, int32_t x, int32_t y, int32_t z, int32_t ebene, double hoehe,
                      int32_t richtung, int32_t fignr, bool collisions, int64_t ivtime);
void SetImage(SpriteScene& g, TSprite& s, int32_t n);
void KillSprite(SpriteScene& g, TSprite& s, bool unmap);
void MapSprite(SpriteScene& g, TSprite& s, bool set);
bool SpriteOverlap(SpriteScene& g, const TSprite& a, const TSprite& b);
void AddFieldOrigin(float& x, float& y);

// Conversions between the paint box (pixels), the design space and the main form's layout.
float PboxToDesignX(const SpriteScene& g, float x);
float PboxToDesignY(const SpriteScene& g, float y);
float DesignToLayoutX(float x);
float DesignToLayoutY(float y);

}  // namespace kirpo
