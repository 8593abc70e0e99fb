#include "sprites/SpriteDraw.h"

#include "common/Rounding.h"
#include "sprites/SpriteScene.h"
#include "platform/Bitmap.h"

namespace kirpo {

namespace {
// The source rectangle of frame k: frames lie side by side from left to right.
RectF FrameRect(const TSprite& s, int32_t k) {
  const float pw = static_cast<float>(s.PatternWidth);
  return RectF{k * pw, 0.0f, (k + 1) * pw, static_cast<float>(s.PatternHeight)};
}

RectF ToCanvas(const SpriteScene& g, float left, float top, float right, float bottom) {
  return RectF{left * g.ScaleX, top * g.ScaleY, right * g.ScaleX, bottom * g.ScaleY};
}
}  // namespace

void DrawAlpha(SpriteScene& g, const TSprite& s, const RectF& dest, float alpha) {
  if (!g.PaintCanvas || g.SkipDrawing) return;
  const Bitmap* bmp = g.figures.Figure(s.ImageIndex);
  if (!bmp || bmp->Empty()) return;
  g.PaintCanvas->DrawBitmap(*bmp, FrameRect(s, s.PatternIndex), ToCanvas(g, dest.left, dest.top, dest.right, dest.bottom),
                            alpha * g.PboxOpacity);
}

void DrawRotate(SpriteScene& g, const TSprite& s, float left, float top, float right, float bottom, int32_t pattern_index,
                float angle, float alpha) {
  if (!g.PaintCanvas || g.SkipDrawing) return;
  const Bitmap* bmp = g.figures.Figure(s.ImageIndex);
  if (!bmp || bmp->Empty()) return;
  // The renderer turns the frame about the centre of its box and the box itself clips what
  // turns out of it, so no picture has to be made per turned sprite and frame.
  const RectF box = ToCanvas(g, left, top, right, bottom);
  g.PaintCanvas->DrawBitmapRotated(*bmp, FrameRect(s, pattern_index), box, angle, alpha * g.PboxOpacity, box);
}

void DrawStein(SpriteScene& g, const TSprite& s, Bitmap& target, const RectF& dest, float alpha) {
  const Bitmap* bmp = g.figures.Figure(s.ImageIndex);
  if (!bmp || bmp->Empty()) return;
  target.BlendFrom(*bmp, s.PatternIndex * s.PatternWidth, 0, s.PatternWidth, s.PatternHeight, Round(dest.left),
                   Round(dest.top), alpha);
}

void DrawStein(SpriteScene& g, const TSprite& s, CompositePicture& target, const RectF& dest, float alpha) {
  const Bitmap* bmp = g.figures.Figure(s.ImageIndex);
  if (!bmp || bmp->Empty()) return;
  target.Add(*bmp, s.PatternIndex * s.PatternWidth, 0, s.PatternWidth, s.PatternHeight, Round(dest.left),
             Round(dest.top), alpha);
}

}  // namespace kirpo
