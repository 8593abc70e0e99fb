#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/Bitmap.h"

namespace kirpo {

// A picture made of parts of other pictures laid, unscaled, over a fill colour at its own size (a
// level's blocks over its black floor), and painted from that list at whatever size it is shown:
// the window's picture holds it at the window's size, not at the design size. At its own size it is
// exactly what Bitmap::BlendFrom of the same parts over the same fill gives.
class CompositePicture final : public PixelSource {
 public:
  CompositePicture(int width, int height, uint32_t fill) : width_(width), height_(height), fill_(fill) {}

  // Lays source rectangle (sx, sy, sw, sh) of picture at (dx, dy), blended with alpha. The part's
  // pixels are copied once however often it is laid.
  void Add(const Bitmap& picture, int sx, int sy, int sw, int sh, int dx, int dy, float alpha);
  size_t PartCount() const { return placements_.size(); }

  bool Paint(uint32_t* pixels, int pitch, int w, int h) const override;
  bool Opaque() const override { return (fill_ >> 24) == 0xFF; }

 private:
  struct Placement {
    size_t part;
    int x, y;
    float alpha;
  };
  int width_, height_;
  uint32_t fill_;
  std::vector<Bitmap> parts_;
  std::map<std::tuple<uint64_t, uint64_t, int, int, int, int>, size_t> part_index_;
  std::vector<Placement> placements_;
};

}  // namespace kirpo
