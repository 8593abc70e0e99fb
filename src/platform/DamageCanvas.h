#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace kirpo {

// A canvas that notes what is drawn instead of drawing it, and at the end of a frame draws on its
// target only where the picture differs from the one before. Most frames of this game move a few
// small sprites over a still picture, so redrawing and handing the whole window to the screen 60
// times a second would spend almost all of the game's time copying pixels nobody sees change.
//
// A frame is everything drawn between two commits and must be a whole picture (every painter here
// starts from a clear or a full-size picture). The target must keep its pixels from one frame to
// the next for partial redraws (a software surface does); otherwise commit with redraw_all.
class DamageCanvas final : public Canvas {
 public:
  // The parts of the picture a commit changed, in picture pixels; whole: the entire output, bars
  // included, must be handed on (the first frame, a new size, an exposed window).
  struct Damage {
    bool whole = false;
    std::vector<RectF> rects;
    bool Empty() const { return !whole && rects.empty(); }
  };

  explicit DamageCanvas(Canvas& target) : target_(target) {}

  int Width() const override { return target_.Width(); }
  int Height() const override { return target_.Height(); }
  void Clear(uint32_t argb) override;
  void ClearRect(const RectF& r, uint32_t argb) override;
  void FillRect(const RectF& r, uint32_t argb, float alpha) override;
  void DrawBitmap(const Bitmap& bmp, const RectF& src, const RectF& dst, float alpha) override;
  void DrawBitmapRotated(const Bitmap& bmp, const RectF& src, const RectF& dst, double angle, float alpha,
                         const RectF& clip) override;
  void DrawText(const std::string& text, const RectF& box, float size_px, bool bold, uint32_t argb, float alpha,
                TextAlign h, TextAlign v) override;
  SizeF MeasureText(const std::string& text, float size_px, bool bold) override;
  void FillRoundRect(const RectF& r, float radius, uint32_t top_argb, uint32_t bottom_argb, float alpha) override;
  void StrokeRoundRect(const RectF& r, float radius, float thickness, uint32_t argb, float alpha) override;
  void SetClip(const RectF& clip) override;
  void ResetClip() override { clipped_ = false; }
  void SetBackdrop(std::function<void(Canvas&)> backdrop) override { backdrop_ = std::move(backdrop); }
  void BeginKeep() override;
  void EndKeep() override;
  bool DrawKept() override;
  void SetPictureAspect(float aspect) override { target_.SetPictureAspect(aspect); }
  RectF PictureRect() const override { return target_.PictureRect(); }

  // Draws the frame noted since the last commit on the target where it differs from the last one.
  // Nothing drawn since then: nothing changes. redraw_all draws the whole frame (a target that does
  // not keep its pixels); the damage then still tells whether anything changed.
  Damage Commit(bool redraw_all = false);
  // The next commit draws and hands on everything (the window was uncovered or its pixels lost).
  void InvalidateAll() { invalid_ = true; }
  // Draws the last committed frame whole on another canvas: what a full redraw would show.
  void DrawLastFrame(Canvas& out);

  // How many draw operations the last committed frame holds, and how many pixels its commit drew.
  size_t LastFrameOps() const { return last_.size(); }
  int64_t LastDrawnPixels() const { return last_drawn_pixels_; }

 private:
  enum class Kind : uint8_t { Clear, ClearRect, FillRect, Bitmap, BitmapRotated, Text, FillRoundRect, StrokeRoundRect };
  struct Op {
    Kind kind = Kind::Clear;
    RectF rect, src, clip;
    bool clipped = false;
    uint32_t colour = 0, colour2 = 0;
    float alpha = 1, size = 0, thickness = 0;
    double angle = 0;
    const Bitmap* bitmap = nullptr;  // only dereferenced while the bitmap is known to live
    uint64_t bitmap_id = 0, bitmap_version = 0;
    std::string text;
    bool bold = false;
    TextAlign h = TextAlign::Center, v = TextAlign::Center;
    RectF bounds;  // every pixel the operation may touch
    uint64_t key = 0;
    bool SameLook(const Op& o) const;
  };

  void Add(Op op);
  void CoverAll();
  void ApplyClip(Op& op) const;
  static uint64_t KeyOf(const Op& op);
  // Forgets operations on bitmaps that died: they must never be drawn again.
  void DropDeadBitmaps();
  std::vector<RectF> Changes() const;
  void Draw(const std::vector<Op>& ops, const RectF& area, Canvas& out) const;

  Canvas& target_;
  BitmapReleaseQueue released_;
  std::vector<Op> frame_, last_, kept_;
  size_t keep_from_ = 0;
  bool keeping_ = false, has_kept_ = false;
  bool clipped_ = false;
  RectF clip_;
  std::function<void(Canvas&)> backdrop_;
  bool in_backdrop_ = false;
  bool invalid_ = true;
  int last_w_ = -1, last_h_ = -1;
  RectF last_picture_;
  int64_t last_drawn_pixels_ = 0;
  // Every text is measured each frame to know its bounds; shaping it anew each time would cost
  // more than all the rest of an unchanged frame.
  std::unordered_map<std::string, SizeF> measured_;
};

}  // namespace kirpo
