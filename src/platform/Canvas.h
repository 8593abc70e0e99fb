#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Bitmap.h"

namespace kirpo {

struct RectF {
  float left = 0, top = 0, right = 0, bottom = 0;
  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
};

struct SizeF {
  float width = 0, height = 0;
};

enum class TextAlign { Center, Leading, Trailing };

// The largest rectangle of the given width-to-height ratio centred in an output of out_w x out_h
// pixels, on whole pixels; the whole output when aspect is 0 or less.
inline RectF FitPicture(int out_w, int out_h, float aspect) {
  if (aspect <= 0 || out_w <= 0 || out_h <= 0) return RectF{0, 0, float(out_w), float(out_h)};
  float w = float(out_w), h = float(out_h);
  if (w / h > aspect) w = static_cast<float>(static_cast<int>(h * aspect + 0.5f));
  else h = static_cast<float>(static_cast<int>(w / aspect + 0.5f));
  const float left = static_cast<float>(static_cast<int>((out_w - w) / 2));
  const float top = static_cast<float>(static_cast<int>((out_h - h) / 2));
  return RectF{left, top, left + w, top + h};
}

// Where the game draws: the window, or an offscreen picture. Coordinates are the canvas's pixels.
// Every drawing blends with its alpha; colours are 0xAARRGGBB.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Colour 0 (fully transparent) shows whatever lies behind the canvas (the window's backdrop).
  virtual void Clear(uint32_t argb) = 0;
  // Sets the pixels of a rectangle to the colour, without blending.
  virtual void ClearRect(const RectF& r, uint32_t argb) = 0;
  virtual void FillRect(const RectF& r, uint32_t argb, float alpha) = 0;
  virtual void DrawBitmap(const Bitmap& bmp, const RectF& src, const RectF& dst, float alpha) = 0;
  // Turns the picture clockwise by angle degrees about the centre of dst; nothing is drawn outside clip.
  virtual void DrawBitmapRotated(const Bitmap& bmp, const RectF& src, const RectF& dst, double angle, float alpha,
                                 const RectF& clip) = 0;
  virtual void DrawText(const std::string& text, const RectF& box, float size_px, bool bold, uint32_t argb,
                        float alpha, TextAlign h, TextAlign v) = 0;
  virtual SizeF MeasureText(const std::string& text, float size_px, bool bold) = 0;
  // A rectangle with rounded corners, filled with a vertical gradient from the top colour to the bottom one.
  virtual void FillRoundRect(const RectF& r, float radius, uint32_t top_argb, uint32_t bottom_argb, float alpha) = 0;
  // The outline of a rounded rectangle, thickness drawn inward from r.
  virtual void StrokeRoundRect(const RectF& r, float radius, float thickness, uint32_t argb, float alpha) = 0;
  // Nothing is drawn outside clip until ResetClip (a scrolled list shows only its own box).
  virtual void SetClip(const RectF& clip) = 0;
  virtual void ResetClip() = 0;
  // What Clear(0) shows: the window's own background behind the game picture.
  virtual void SetBackdrop(std::function<void(Canvas&)> backdrop) { (void)backdrop; }
  // Completes drawing that was deferred (a backdrop nothing has covered yet).
  virtual void Flush() {}
  // Drawing between BeginKeep and EndKeep also goes into a kept picture that DrawKept shows
  // again later, so a frozen game picture can be shown under a layout that still changes.
  virtual void BeginKeep() {}
  virtual void EndKeep() {}
  // Shows the kept picture; false when there is none.
  virtual bool DrawKept() { return false; }
  // How the picture sits in the output: with aspect 0 it is stretched over the whole output, otherwise it
  // keeps that width-to-height ratio, centred between black bars. Width, Height and every coordinate
  // then refer to the picture, not to the output.
  virtual void SetPictureAspect(float aspect) { (void)aspect; }
  // Where the picture lies in the output, in output pixels.
  virtual RectF PictureRect() const { return RectF{0, 0, float(Width()), float(Height())}; }
};

}  // namespace kirpo
