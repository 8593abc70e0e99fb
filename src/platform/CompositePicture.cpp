#include "platform/CompositePicture.h"

#include <algorithm>
#include <cmath>

#include "platform/Resample.h"

namespace kirpo {

void CompositePicture::Add(const Bitmap& picture, int sx, int sy, int sw, int sh, int dx, int dy, float alpha) {
  if (alpha <= 0 || sw <= 0 || sh <= 0 || !picture.HasPixels()) return;
  // The part as BlendFrom would read it: what lies outside the picture stays see-through.
  const auto key = std::make_tuple(picture.Id(), picture.Version(), sx, sy, sw, sh);
  auto it = part_index_.find(key);
  if (it == part_index_.end()) {
    Bitmap part(sw, sh, 0);
    part.BlendFrom(picture, sx, sy, sw, sh, 0, 0, 1.0f);
    parts_.push_back(std::move(part));
    it = part_index_.emplace(key, parts_.size() - 1).first;
  }
  placements_.push_back(Placement{it->second, dx, dy, alpha});
}

bool CompositePicture::Paint(uint32_t* pixels, int pitch, int w, int h) const {
  if (!pixels || w <= 0 || h <= 0 || width_ <= 0 || height_ <= 0) return false;
  auto row = [&](int y) { return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + size_t(y) * pitch); };
  for (int y = 0; y < h; ++y) std::fill(row(y), row(y) + w, fill_);
  const double fx = double(w) / width_, fy = double(h) / height_;
  std::vector<uint32_t> scaled;
  for (const Placement& p : placements_) {
    const Bitmap& part = parts_[p.part];
    // Both edges rounded on their own, so parts that meet at their own size meet here too.
    const int x0 = int(std::lround(p.x * fx)), x1 = int(std::lround((p.x + part.Width()) * fx));
    const int y0 = int(std::lround(p.y * fy)), y1 = int(std::lround((p.y + part.Height()) * fy));
    const int pw = x1 - x0, ph = y1 - y0;
    if (pw <= 0 || ph <= 0) continue;
    const uint32_t* src = part.Pixels();
    if (pw != part.Width() || ph != part.Height()) {
      scaled.assign(size_t(pw) * ph, 0);
      if (!ScalePixels(part.Pixels(), part.Width() * 4, part.Width(), part.Height(), scaled.data(), pw * 4, pw, ph))
        continue;
      src = scaled.data();
    }
    Bitmap::BlendPixels(src, pw, pw, ph, pixels, pitch / 4, w, h, x0, y0, p.alpha);
  }
  return true;
}

}  // namespace kirpo
