#pragma once
#include "platform/Canvas.h"
#include "platform/CompositePicture.h"
#include "sprites/Sprite.h"

namespace kirpo {

struct SpriteScene;
class Bitmap;

// dest in design units; drawn into g.PaintCanvas scaled by ScaleX/ScaleY, alpha times the
// game picture's opacity.
void DrawAlpha(SpriteScene& g, const TSprite& s, const RectF& dest, float alpha);
void DrawRotate(SpriteScene& g, const TSprite& s, float left, float top, float right, float bottom, int32_t pattern_index,
                float angle, float alpha);
// Draws the sprite's current frame into a bitmap at dest (the bitmap's own pixels), unscaled.
void DrawStein(SpriteScene& g, const TSprite& s, Bitmap& target, const RectF& dest, float alpha);
// The same block laid into a level's background, which is painted at the size it is shown.
void DrawStein(SpriteScene& g, const TSprite& s, CompositePicture& target, const RectF& dest, float alpha);

}  // namespace kirpo
