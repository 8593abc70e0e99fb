#include "platform/DamageCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace kirpo {

namespace {

// Filtered scaling and anti-aliased edges reach a pixel beyond the rectangle asked for.
constexpr float kPad = 2;
// More rectangles than this are merged: each one handed to the screen has its own cost.
constexpr size_t kMaxRects = 12;
// When the changes cover most of the picture, one whole redraw is cheaper than many pieces.
constexpr double kWholeShare = 0.6;

RectF Grow(const RectF& r, float by) { return RectF{r.left - by, r.top - by, r.right + by, r.bottom + by}; }

RectF Intersect(const RectF& a, const RectF& b) {
  return RectF{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

RectF Union(const RectF& a, const RectF& b) {
  return RectF{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
}

bool IsEmpty(const RectF& r) { return !(r.right > r.left && r.bottom > r.top); }

double Area(const RectF& r) { return IsEmpty(r) ? 0.0 : double(r.Width()) * r.Height(); }

// Whole pixels covering r.
RectF Outward(const RectF& r) {
  return RectF{std::floor(r.left), std::floor(r.top), std::ceil(r.right), std::ceil(r.bottom)};
}

bool SameRect(const RectF& a, const RectF& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Hasher {
 public:
  template <typename T>
  void Add(const T& v) {
    const auto* b = reinterpret_cast<const unsigned char*>(&v);
    for (size_t i = 0; i < sizeof v; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
  }
  void Add(const RectF& r) { Add(r.left), Add(r.top), Add(r.right), Add(r.bottom); }
  void Add(const std::string& s) {
    Add(s.size());
    for (unsigned char c : s) h_ = (h_ ^ c) * 1099511628211ull;
  }
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 14695981039346656037ull;
};

}  // namespace

bool DamageCanvas::Op::SameLook(const Op& o) const {
  return key == o.key && kind == o.kind && SameRect(rect, o.rect) && SameRect(src, o.src) && clipped == o.clipped &&
         (!clipped || SameRect(clip, o.clip)) && colour == o.colour && colour2 == o.colour2 && alpha == o.alpha &&
         size == o.size && thickness == o.thickness && angle == o.angle && bitmap_id == o.bitmap_id &&
         bitmap_version == o.bitmap_version && text == o.text && bold == o.bold && h == o.h && v == o.v;
}

uint64_t DamageCanvas::KeyOf(const Op& op) {
  Hasher k;
  k.Add(op.kind), k.Add(op.rect), k.Add(op.src), k.Add(op.clipped);
  if (op.clipped) k.Add(op.clip);
  k.Add(op.colour), k.Add(op.colour2), k.Add(op.alpha), k.Add(op.size), k.Add(op.thickness), k.Add(op.angle);
  k.Add(op.bitmap_id), k.Add(op.bitmap_version), k.Add(op.text), k.Add(op.bold), k.Add(op.h), k.Add(op.v);
  return k.Value();
}

void DamageCanvas::ApplyClip(Op& op) const {
  if (!clipped_) return;
  op.clip = op.clipped ? Intersect(op.clip, clip_) : clip_;
  op.clipped = true;
}

void DamageCanvas::Add(Op op) {
  if (op.clipped) op.bounds = Intersect(op.bounds, op.clip);
  if (IsEmpty(op.bounds)) return;
  op.key = KeyOf(op);
  frame_.push_back(std::move(op));
}

void DamageCanvas::CoverAll() {
  // What was drawn before lies under a drawing over the whole canvas and can never show.
  frame_.clear();
  keep_from_ = 0;
}

void DamageCanvas::Clear(uint32_t argb) {
  clipped_ = false;
  if ((argb >> 24) == 0 && backdrop_ && !in_backdrop_) {
    in_backdrop_ = true;
    backdrop_(*this);
    in_backdrop_ = false;
    return;
  }
  CoverAll();
  Op op;
  op.kind = Kind::Clear;
  op.colour = argb;
  op.bounds = RectF{0, 0, float(Width()), float(Height())};
  Add(std::move(op));
}

void DamageCanvas::ClearRect(const RectF& r, uint32_t argb) {
  Op op;
  op.kind = Kind::ClearRect;
  op.rect = r;
  op.colour = argb;
  op.bounds = Grow(r, kPad);
  ApplyClip(op);
  Add(std::move(op));
}

void DamageCanvas::FillRect(const RectF& r, uint32_t argb, float alpha) {
  if (alpha <= 0) return;
  Op op;
  op.kind = Kind::FillRect;
  op.rect = r;
  op.colour = argb;
  op.alpha = alpha;
  op.bounds = Grow(r, kPad);
  ApplyClip(op);
  Add(std::move(op));
}

void DamageCanvas::DrawBitmap(const Bitmap& bmp, const RectF& src, const RectF& dst, float alpha) {
  if (alpha <= 0 || bmp.Empty() || !bmp.HasPixels()) return;
  const bool whole_source = src.left <= 0 && src.top <= 0 && src.right >= bmp.Width() && src.bottom >= bmp.Height();
  if (!clipped_ && alpha >= 1 && whole_source && dst.left <= 0 && dst.top <= 0 && dst.right >= Width() &&
      dst.bottom >= Height() && bmp.Opaque()) {
    CoverAll();
  }
  Op op;
  op.kind = Kind::Bitmap;
  op.rect = dst;
  op.src = src;
  op.alpha = alpha;
  op.bitmap = &bmp;
  op.bitmap_id = bmp.Id();
  op.bitmap_version = bmp.Version();
  op.bounds = Grow(dst, kPad);
  ApplyClip(op);
  Add(std::move(op));
}

void DamageCanvas::DrawBitmapRotated(const Bitmap& bmp, const RectF& src, const RectF& dst, double angle, float alpha,
                                     const RectF& clip) {
  if (alpha <= 0 || bmp.Empty() || !bmp.HasPixels()) return;
  Op op;
  op.kind = Kind::BitmapRotated;
  op.rect = dst;
  op.src = src;
  op.angle = angle;
  op.alpha = alpha;
  op.bitmap = &bmp;
  op.bitmap_id = bmp.Id();
  op.bitmap_version = bmp.Version();
  // The turned picture's corners, about the centre of dst.
  const double a = angle * M_PI / 180.0, c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
  const double hw = dst.Width() / 2.0, hh = dst.Height() / 2.0;
  const double ex = hw * c + hh * s, ey = hw * s + hh * c;
  const double cx = (dst.left + dst.right) / 2.0, cy = (dst.top + dst.bottom) / 2.0;
  op.bounds = Grow(RectF{float(cx - ex), float(cy - ey), float(cx + ex), float(cy + ey)}, kPad);
  // The turned drawing has its own clip, whatever the canvas's clip is.
  op.clip = clip;
  op.clipped = true;
  Add(std::move(op));
}

void DamageCanvas::DrawText(const std::string& text, const RectF& box, float size_px, bool bold, uint32_t argb,
                            float alpha, TextAlign h, TextAlign v) {
  if (text.empty() || alpha <= 0) return;
  Op op;
  op.kind = Kind::Text;
  op.rect = box;
  op.text = text;
  op.size = size_px;
  op.bold = bold;
  op.colour = argb;
  op.alpha = alpha;
  op.h = h, op.v = v;
  // The text may stand out of its box; it is placed in the box as the target places it.
  const SizeF m = MeasureText(text, size_px, bold);
  float x = box.left, y = box.top;
  if (h == TextAlign::Center) x = box.left + (box.Width() - m.width) / 2;
  if (h == TextAlign::Trailing) x = box.right - m.width;
  if (v == TextAlign::Center) y = box.top + (box.Height() - m.height) / 2;
  if (v == TextAlign::Trailing) y = box.bottom - m.height;
  op.bounds = Grow(RectF{x, y, x + m.width, y + m.height}, kPad + size_px / 8);
  ApplyClip(op);
  Add(std::move(op));
}

SizeF DamageCanvas::MeasureText(const std::string& text, float size_px, bool bold) {
  std::string key = std::to_string(size_px) + (bold ? "b:" : ":") + text;
  auto it = measured_.find(key);
  if (it != measured_.end()) return it->second;
  if (measured_.size() >= 512) measured_.clear();
  const SizeF size = target_.MeasureText(text, size_px, bold);
  measured_.emplace(std::move(key), size);
  return size;
}

void DamageCanvas::FillRoundRect(const RectF& r, float radius, uint32_t top_argb, uint32_t bottom_argb, float alpha) {
  if (alpha <= 0) return;
  Op op;
  op.kind = Kind::FillRoundRect;
  op.rect = r;
  op.size = radius;
  op.colour = top_argb, op.colour2 = bottom_argb;
  op.alpha = alpha;
  op.bounds = Grow(r, kPad);
  ApplyClip(op);
  Add(std::move(op));
}

void DamageCanvas::StrokeRoundRect(const RectF& r, float radius, float thickness, uint32_t argb, float alpha) {
  if (alpha <= 0) return;
  Op op;
  op.kind = Kind::StrokeRoundRect;
  op.rect = r;
  op.size = radius;
  op.thickness = thickness;
  op.colour = argb;
  op.alpha = alpha;
  op.bounds = Grow(r, kPad);
  ApplyClip(op);
  Add(std::move(op));
}

void DamageCanvas::SetClip(const RectF& clip) {
  clip_ = clip;
  clipped_ = true;
}

void DamageCanvas::BeginKeep() {
  keeping_ = true;
  keep_from_ = frame_.size();
}

void DamageCanvas::EndKeep() {
  if (!keeping_) return;
  keeping_ = false;
  kept_.assign(frame_.begin() + static_cast<std::ptrdiff_t>(std::min(keep_from_, frame_.size())), frame_.end());
  has_kept_ = true;
}

bool DamageCanvas::DrawKept() {
  if (!has_kept_ || keeping_) return false;
  DropDeadBitmaps();
  clipped_ = false;
  for (const Op& op : kept_) frame_.push_back(op);
  return true;
}

void DamageCanvas::DropDeadBitmaps() {
  if (!released_.Pending()) return;
  const std::vector<uint64_t> dead = released_.Take();
  const std::unordered_set<uint64_t> gone(dead.begin(), dead.end());
  auto dies = [&](const Op& op) { return op.bitmap && gone.count(op.bitmap_id); };
  frame_.erase(std::remove_if(frame_.begin(), frame_.end(), dies), frame_.end());
  kept_.erase(std::remove_if(kept_.begin(), kept_.end(), dies), kept_.end());
  // The last frame is only compared with, never drawn, but a later bitmap may not take its place.
  for (Op& op : last_)
    if (dies(op)) op.bitmap = nullptr;
}

std::vector<RectF> DamageCanvas::Changes() const {
  // An operation of the new frame that the old one drew the same way, in the same order relative to
  // the others that stayed, leaves its pixels as they were; every other one changes its bounds in
  // both frames.
  std::unordered_map<uint64_t, std::vector<size_t>> old_at;
  for (size_t i = last_.size(); i-- > 0;) old_at[last_[i].key].push_back(i);
  std::vector<bool> old_kept(last_.size(), false);
  std::vector<RectF> changed;
  size_t after = 0;
  bool any_matched = false;
  for (const Op& op : frame_) {
    bool matched = false;
    auto it = old_at.find(op.key);
    if (it != old_at.end()) {
      std::vector<size_t>& places = it->second;  // earliest at the back
      // Places before the last match can never match again: the order must hold.
      while (!places.empty() && any_matched && places.back() <= after) places.pop_back();
      if (!places.empty() && last_[places.back()].SameLook(op)) {
        after = places.back();
        places.pop_back();
        old_kept[after] = true;
        matched = any_matched = true;
      }
    }
    if (!matched) changed.push_back(op.bounds);
  }
  for (size_t i = 0; i < last_.size(); ++i)
    if (!old_kept[i]) changed.push_back(last_[i].bounds);
  return changed;
}

namespace {

// Few rectangles that cover every change: overlapping ones, and ones whose joint box wastes little,
// become one.
std::vector<RectF> Merge(std::vector<RectF> rects) {
  bool merged = true;
  while (merged) {
    merged = false;
    for (size_t i = 0; i < rects.size() && !merged; ++i)
      for (size_t j = i + 1; j < rects.size() && !merged; ++j) {
        const RectF u = Union(rects[i], rects[j]);
        if (Area(u) <= (Area(rects[i]) + Area(rects[j])) * 1.25 || !IsEmpty(Intersect(rects[i], rects[j]))) {
          rects[i] = u;
          rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
        }
      }
  }
  while (rects.size() > kMaxRects) {
    size_t bi = 0, bj = 1;
    double best = -1;
    for (size_t i = 0; i < rects.size(); ++i)
      for (size_t j = i + 1; j < rects.size(); ++j) {
        const double growth = Area(Union(rects[i], rects[j])) - Area(rects[i]) - Area(rects[j]);
        if (best < 0 || growth < best) best = growth, bi = i, bj = j;
      }
    rects[bi] = Union(rects[bi], rects[bj]);
    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bj));
  }
  return rects;
}

}  // namespace

void DamageCanvas::Draw(const std::vector<Op>& ops, const RectF& area, Canvas& out) const {
  for (const Op& op : ops) {
    const RectF clip = op.clipped ? Intersect(area, op.clip) : area;
    if (IsEmpty(Intersect(op.bounds, clip))) continue;
    out.SetClip(clip);
    switch (op.kind) {
      case Kind::Clear: out.ClearRect(RectF{0, 0, float(out.Width()), float(out.Height())}, op.colour); break;
      case Kind::ClearRect: out.ClearRect(op.rect, op.colour); break;
      case Kind::FillRect: out.FillRect(op.rect, op.colour, op.alpha); break;
      case Kind::Bitmap:
        if (op.bitmap) out.DrawBitmap(*op.bitmap, op.src, op.rect, op.alpha);
        break;
      case Kind::BitmapRotated:
        if (op.bitmap) out.DrawBitmapRotated(*op.bitmap, op.src, op.rect, op.angle, op.alpha, clip);
        break;
      case Kind::Text: out.DrawText(op.text, op.rect, op.size, op.bold, op.colour, op.alpha, op.h, op.v); break;
      case Kind::FillRoundRect: out.FillRoundRect(op.rect, op.size, op.colour, op.colour2, op.alpha); break;
      case Kind::StrokeRoundRect: out.StrokeRoundRect(op.rect, op.size, op.thickness, op.colour, op.alpha); break;
    }
  }
  out.ResetClip();
}

DamageCanvas::Damage DamageCanvas::Commit(bool redraw_all) {
  DropDeadBitmaps();
  Damage damage;
  const RectF picture = target_.PictureRect();
  const int w = Width(), h = Height();
  const bool resized = w != last_w_ || h != last_h_ || !SameRect(picture, last_picture_);
  if (frame_.empty() && !invalid_ && !resized) {
    return damage;  // nothing drawn since the last commit: the picture stands
  }
  if (frame_.empty()) frame_ = last_;  // the same picture, drawn again in full
  // A picture changed after it was drawn shows as it is now, so it is compared as it is now.
  for (Op& op : frame_)
    if (op.bitmap && op.bitmap->Version() != op.bitmap_version) {
      op.bitmap_version = op.bitmap->Version();
      op.key = KeyOf(op);
    }
  const RectF whole{0, 0, float(w), float(h)};
  std::vector<RectF> rects;
  if (invalid_ || resized) {
    damage.whole = true;
  } else {
    for (const RectF& r : Changes()) {
      const RectF c = Intersect(Outward(r), whole);
      if (!IsEmpty(c)) rects.push_back(c);
    }
    rects = Merge(std::move(rects));
    double area = 0;
    for (const RectF& r : rects) area += Area(r);
    if (area >= kWholeShare * Area(whole)) damage.whole = true;
  }
  last_drawn_pixels_ = 0;
  if (damage.whole) {
    Draw(frame_, whole, target_);
    last_drawn_pixels_ = int64_t(w) * h;
  } else if (!rects.empty()) {
    // A target that forgets its pixels is drawn whole; only what changed is handed on.
    if (redraw_all) {
      Draw(frame_, whole, target_);
      last_drawn_pixels_ = int64_t(w) * h;
    } else {
      for (const RectF& r : rects) {
        Draw(frame_, r, target_);
        last_drawn_pixels_ += static_cast<int64_t>(Area(r));
      }
    }
    damage.rects = std::move(rects);
  }
  target_.Flush();
  last_.swap(frame_);
  frame_.clear();
  invalid_ = false;
  last_w_ = w, last_h_ = h, last_picture_ = picture;
  return damage;
}

void DamageCanvas::DrawLastFrame(Canvas& out) {
  DropDeadBitmaps();
  Draw(last_, RectF{0, 0, float(out.Width()), float(out.Height())}, out);
  out.Flush();
}

}  // namespace kirpo
