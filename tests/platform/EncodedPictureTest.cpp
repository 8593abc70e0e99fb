// A picture held as its PNG bytes must look exactly like the same picture decoded, however it is
// drawn: in parts at its own size (a picture sheet) or whole and stretched (a backdrop).
#include <gtest/gtest.h>

#include <memory>

#include "platform/Bitmap.h"
#include "platform/Host.h"

namespace kirpo {
namespace {

TEST(EncodedPicture, DrawsExactlyAsItsDecodedTwinAndKeepsNoPixelsOfItsOwn) {
  // Large enough to count as a large picture; colours and alpha varying over it.
  Bitmap original(600, 500);
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 600; ++x)
      original.SetPixel(x, y, (uint32_t((x + y) % 256) << 24) | (uint32_t(x % 256) << 16) | (uint32_t(y % 256) << 8) |
                                  uint32_t((x * y) % 256));
  auto png = std::make_shared<const std::vector<uint8_t>>(original.EncodePng());
  ASSERT_FALSE(png->empty());
  std::unique_ptr<Bitmap> decoded = Bitmap::Decode(png->data(), png->size());
  ASSERT_TRUE(decoded);
  std::unique_ptr<Bitmap> encoded = Bitmap::FromEncoded(600, 500, png);

  struct Draw {
    const char* what;
    RectF src, dst;
  };
  const Draw draws[] = {
      {"a part at its own size", {280, 200, 560, 400}, {10, 10, 290, 210}},
      {"a part made smaller", {0, 0, 280, 200}, {300, 20, 440, 120}},
      {"the whole stretched over the canvas", {0, 0, 600, 500}, {0, 0, 480, 300}},
  };
  for (const Draw& d : draws) {
    SCOPED_TRACE(d.what);
    auto a = CreateOffscreenHost(480, 300), b = CreateOffscreenHost(480, 300);
    a->GetCanvas().Clear(0xFF102030);
    b->GetCanvas().Clear(0xFF102030);
    a->GetCanvas().DrawBitmap(*encoded, d.src, d.dst, 1.0f);
    b->GetCanvas().DrawBitmap(*decoded, d.src, d.dst, 1.0f);
    auto pa = a->ReadPixels(), pb = b->ReadPixels();
    int differ = 0;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 480; ++x) differ += pa->Pixel(x, y) != pb->Pixel(x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_FALSE(encoded->PixelsInMemory()) << "the texture holds the pixels; the picture need not";
  }
  EXPECT_EQ(encoded->Pixel(123, 45), decoded->Pixel(123, 45));
}

}  // namespace
}  // namespace kirpo
