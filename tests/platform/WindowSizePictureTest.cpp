// A large picture shown stretched over the window (a level's background, a backdrop) is held only
// at the size it is shown: painted from what it is made of straight at that size, never made at
// its own 1920 x 1200 first, and painted again, sharp, when the window grows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/CompositePicture.h"
#include "platform/Host.h"
#include "platform/Resample.h"

namespace kirpo {
namespace {

constexpr int kWidth = 1920, kHeight = 1200;

// A block with detail down to single pixels, so that a picture scaled up from a smaller copy
// cannot pass for one painted at the larger size.
Bitmap Block() {
  Bitmap b(48, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) b.SetPixel(x, y, ((x + y) % 2) ? 0xFFE0F0FFu : 0xFF2060C0u + uint32_t(x * 3));
  for (int x = 0; x < 48; ++x) b.SetPixel(x, 0, 0x80FFFFFFu);  // a see-through edge over the floor
  return b;
}

// A level-like background: rows of blocks on whole multiples of 8 design pixels, so that at an
// eighth, a quarter or half of the design size every block edge meets a pixel edge.
std::shared_ptr<CompositePicture> Background(const Bitmap& block) {
  auto picture = std::make_shared<CompositePicture>(kWidth, kHeight, 0xFF000000u);
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 30; col += 1 + row % 3)
      picture->Add(block, 0, 0, 48, 48, 40 + col * 48, 96 + row * 176, 1.0f);
  return picture;
}

// The same picture made whole at its own size and scaled afterwards: what the window showed
// before, and what a picture painted at the window's size must look like.
std::unique_ptr<Bitmap> Reference(const Bitmap& whole, int w, int h) {
  auto out = std::make_unique<Bitmap>(w, h);
  EXPECT_TRUE(ScalePixels(whole.Pixels(), whole.Width() * 4, whole.Width(), whole.Height(), out->Pixels(), w * 4, w, h));
  return out;
}

int Difference(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

int LargestDifference(const Bitmap& a, const Bitmap& b, int w, int h) {
  int most = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) most = std::max(most, Difference(a.Pixel(x, y), b.Pixel(x, y)));
  return most;
}

TEST(WindowSizePicture, IsPaintedAtTheSizeShownAndAgainSharpWhenTheWindowGrows) {
  const Bitmap block = Block();
  auto composite = Background(block);
  Bitmap whole(kWidth, kHeight, 0xFF000000u);  // the design-size picture, as the game made it before
  ASSERT_TRUE(composite->Paint(whole.Pixels(), kWidth * 4, kWidth, kHeight));
  {
    Bitmap blended(kWidth, kHeight, 0xFF000000u);
    for (int row = 0; row < 6; ++row)
      for (int col = 0; col < 30; col += 1 + row % 3)
        blended.BlendFrom(block, 0, 0, 48, 48, 40 + col * 48, 96 + row * 176, 1);
    ASSERT_EQ(LargestDifference(whole, blended, kWidth, kHeight), 0) << "at its own size: exactly the blocks blended";
  }
  auto png = std::make_shared<const std::vector<uint8_t>>(whole.EncodePng());
  ASSERT_FALSE(png->empty());

  struct Kind {
    const char* what;
    std::unique_ptr<Bitmap> picture;
  };
  Kind kinds[] = {
      {"a level's background, painted from its blocks", Bitmap::FromSource(kWidth, kHeight, composite)},
      {"a backdrop held as its PNG bytes", Bitmap::FromEncoded(kWidth, kHeight, png)},
  };
  for (Kind& k : kinds) {
    SCOPED_TRACE(k.what);
    const Bitmap& picture = *k.picture;
    EXPECT_TRUE(picture.Opaque());
    auto host = CreateOffscreenHost(480, 300);
    Canvas& canvas = host->GetCanvas();
    // A small window, then one twice as large, then the small one again (back from full screen).
    for (const int w : {240, 480, 240}) {
      const int h = w * kHeight / kWidth;
      canvas.Clear(0xFF00FF00u);
      canvas.DrawBitmap(picture, RectF{0, 0, float(kWidth), float(kHeight)}, RectF{0, 0, float(w), float(h)}, 1.0f);
      EXPECT_FALSE(picture.PixelsInMemory()) << "never made at its own size, not even to be scaled";
      const std::unique_ptr<Bitmap> shown = host->ReadPixels();
      const std::unique_ptr<Bitmap> expected = Reference(whole, w, h);
      EXPECT_LE(LargestDifference(*shown, *expected, w, h), 2) << "at " << w << " x " << h;
    }
  }
}

TEST(WindowSizePicture, MatchesTheDesignSizePictureWhereBlockEdgesFallBetweenPixels) {
  // A window whose scale puts block edges inside pixels (1920 -> 1000): each block is scaled on
  // its own, so edges may differ a little from the whole picture scaled, but nothing more.
  const Bitmap block = Block();
  auto composite = Background(block);
  Bitmap whole(kWidth, kHeight, 0xFF000000u);
  ASSERT_TRUE(composite->Paint(whole.Pixels(), kWidth * 4, kWidth, kHeight));
  const int w = 1000, h = 625;
  Bitmap painted(w, h);
  ASSERT_TRUE(composite->Paint(painted.Pixels(), w * 4, w, h));
  const std::unique_ptr<Bitmap> expected = Reference(whole, w, h);
  int differ = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) differ += Difference(painted.Pixel(x, y), expected->Pixel(x, y)) > 24;
  EXPECT_LT(differ, w * h / 50) << "only pixels along block edges";
  EXPECT_GT(LargestDifference(painted, Bitmap(w, h, 0xFF000000u), w, h), 200) << "the blocks are there";
}

}  // namespace
}  // namespace kirpo
