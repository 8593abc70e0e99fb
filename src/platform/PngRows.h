#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kirpo {

// A PNG read one row at a time, as ARGB pixels (0xAARRGGBB, straight alpha), so that a large
// picture can be checked, scaled or re-encoded while only a row of it is in memory. An interlaced
// PNG cannot be read that way: it is decoded whole at the start.
class PngRowReader {
 public:
  PngRowReader(const uint8_t* data, size_t size);
  ~PngRowReader();
  PngRowReader(const PngRowReader&) = delete;
  PngRowReader& operator=(const PngRowReader&) = delete;

  // The header was read and the picture has a size.
  bool Ok() const { return ok_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Whether the format itself rules out any see-through pixel (no alpha channel, no tRNS).
  bool OpaqueFormat() const { return opaque_format_; }
  // The next row into row (Width() pixels); false at damage or past the last row.
  bool ReadRow(uint32_t* row);

 private:
  struct State;
  std::unique_ptr<State> s_;
  bool ok_ = false;
  int width_ = 0, height_ = 0;
  bool opaque_format_ = false;
};

// PNG bytes (8-bit RGBA) of a width x height picture whose rows come from row(y, pixels), top to
// bottom; row returns false to give up. Empty on failure.
std::vector<uint8_t> EncodePngRows(int width, int height, const std::function<bool(int, uint32_t*)>& row);

}  // namespace kirpo
