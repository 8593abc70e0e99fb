// Drawing only what changed must show exactly what drawing everything shows.
#include "platform/DamageCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/Host.h"

namespace kirpo {
namespace {

// Pixels where two pictures differ.
int Differences(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

Bitmap Sprite(int w, int h, uint32_t argb) {
  Bitmap b(w, h, argb);
  for (int i = 0; i < std::min(w, h); ++i) b.SetPixel(i, i, 0x00000000);  // a transparent diagonal
  return b;
}

struct DamageCanvasTest : ::testing::Test {
  std::unique_ptr<Host> host = CreateOffscreenHost(320, 200, true);
  Bitmap background{320, 200, 0xFF203040};
  Bitmap red = Sprite(24, 24, 0xFFE02020), green = Sprite(30, 18, 0x80FFFF00);

  DamageCanvas& Damage() { return *dynamic_cast<DamageCanvas*>(&host->GetCanvas()); }
  // Draws a frame, presents it, and checks the window against a full redraw of the same frame.
  void Frame(const std::function<void(Canvas&)>& paint) {
    Canvas& c = host->GetCanvas();
    c.Clear(0xFF000000);
    c.DrawBitmap(background, {0, 0, 320, 200}, {0, 0, 320, 200}, 1);
    paint(c);
    host->Present();
    auto shown = host->ReadPixels();
    auto full = CreateOffscreenHost(320, 200);
    Damage().DrawLastFrame(full->GetCanvas());
    auto expected = full->ReadPixels();
    EXPECT_EQ(Differences(*shown, *expected), 0);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 320; ++x)
        if (shown->Pixel(x, y) != expected->Pixel(x, y))
          ADD_FAILURE() << x << "," << y << " " << std::hex << shown->Pixel(x, y) << " " << expected->Pixel(x, y);
  }
};

TEST_F(DamageCanvasTest, DrawsAndHandsOnOnlyWhatChangedAndShowsWhatAFullRedrawShows) {
  auto sprite_at = [&](float x, float y) {
    return [=, this](Canvas& c) { c.DrawBitmap(red, {0, 0, 24, 24}, {x, y, x + 24, y + 24}, 1); };
  };
  Frame(sprite_at(10, 10));
  EXPECT_EQ(Damage().LastDrawnPixels(), 320 * 200) << "the first frame is drawn whole";

  Frame(sprite_at(10, 10));
  EXPECT_EQ(Damage().LastDrawnPixels(), 0) << "an unchanged frame draws nothing";

  Frame(sprite_at(14, 10));
  EXPECT_GT(Damage().LastDrawnPixels(), 0);
  EXPECT_LE(Damage().LastDrawnPixels(), 40 * 40) << "only the old and new places of the sprite";

  // Far apart moves stay separate pieces instead of one box over the whole picture.
  Frame([&](Canvas& c) {
    sprite_at(14, 10)(c);
    c.DrawBitmap(red, {0, 0, 24, 24}, {280, 160, 304, 184}, 1);
  });
  EXPECT_LE(Damage().LastDrawnPixels(), 40 * 40);
}

TEST_F(DamageCanvasTest, EveryKindOfChangeShowsAsInAFullRedraw) {
  // Each case is one frame after the one before; every frame must equal its full redraw.
  struct Case {
    const char* what;
    std::function<void(Canvas&)> paint;
  };
  auto both = [&](float rx, float gx, bool red_first) {
    return [=, this](Canvas& c) {
      auto r = [&] { c.DrawBitmap(red, {0, 0, 24, 24}, {rx, 50, rx + 24, 74}, 1); };
      auto g = [&] { c.DrawBitmap(green, {0, 0, 30, 18}, {gx, 55, gx + 30, 73}, 1); };
      if (red_first) r(), g();
      else g(), r();
    };
  };
  const Case cases[] = {
      {"two overlapping sprites", both(100, 110, true)},
      {"the same two, drawn in the other order", both(100, 110, false)},
      {"one of them gone", [&](Canvas& c) { c.DrawBitmap(red, {0, 0, 24, 24}, {100, 50, 124, 74}, 1); }},
      {"faded", [&](Canvas& c) { c.DrawBitmap(red, {0, 0, 24, 24}, {100, 50, 124, 74}, 0.5f); }},
      {"a text", [&](Canvas& c) {
         c.DrawText("0001230", {20, 150, 140, 180}, 18, true, 0xFFFFFF00, 1, TextAlign::Center, TextAlign::Center);
       }},
      {"the text changed", [&](Canvas& c) {
         c.DrawText("0001240", {20, 150, 140, 180}, 18, true, 0xFFFFFF00, 1, TextAlign::Center, TextAlign::Center);
       }},
      {"a turned sprite under a clip", [&](Canvas& c) {
         c.DrawBitmapRotated(red, {0, 0, 24, 24}, {200, 100, 240, 140}, 30, 1, {205, 95, 250, 130});
       }},
      {"turned further", [&](Canvas& c) {
         c.DrawBitmapRotated(red, {0, 0, 24, 24}, {200, 100, 240, 140}, 75, 1, {205, 95, 250, 130});
       }},
      {"a clipped list with rounded boxes", [&](Canvas& c) {
         c.SetClip({40, 20, 140, 60});
         c.FillRoundRect({30, 25, 150, 55}, 8, 0xFF4080FF, 0xFF102040, 1);
         c.StrokeRoundRect({30, 25, 150, 55}, 8, 2, 0xFFFFFFFF, 1);
         c.ResetClip();
         c.FillRect({0, 190, 320, 200}, 0x80000000, 1);
       }},
      {"the boxes scrolled", [&](Canvas& c) {
         c.SetClip({40, 20, 140, 60});
         c.FillRoundRect({30, 15, 150, 45}, 8, 0xFF4080FF, 0xFF102040, 1);
         c.StrokeRoundRect({30, 15, 150, 45}, 8, 2, 0xFFFFFFFF, 1);
         c.ResetClip();
         c.FillRect({0, 190, 320, 200}, 0x80000000, 1);
       }},
      {"a picture changed in place", [&](Canvas& c) {
         background.SetPixel(5, 5, 0xFFFFFFFF);
         background.Touch();
         c.ClearRect({300, 0, 320, 20}, 0xFF00FF00);
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Frame(k.paint);
  }
}

TEST_F(DamageCanvasTest, TheKeptPictureComesBackAndAPictureThatDiedIsNeverDrawn) {
  Canvas& c = host->GetCanvas();
  auto doomed = std::make_unique<Bitmap>(Sprite(20, 20, 0xFF00FF00));
  c.BeginKeep();
  c.DrawBitmap(background, {0, 0, 320, 200}, {0, 0, 320, 200}, 1);
  c.DrawBitmap(*doomed, {0, 0, 20, 20}, {50, 50, 70, 70}, 1);
  c.DrawBitmap(red, {0, 0, 24, 24}, {100, 50, 124, 74}, 1);
  c.EndKeep();
  host->Present();
  const auto with_all = host->ReadPixels();

  ASSERT_TRUE(c.DrawKept());
  host->Present();
  EXPECT_EQ(Damage().LastDrawnPixels(), 0) << "the kept picture is the picture shown";

  doomed.reset();
  ASSERT_TRUE(c.DrawKept());
  host->Present();
  const auto without = host->ReadPixels();
  EXPECT_NE(with_all->Pixel(65, 55), without->Pixel(65, 55));
  EXPECT_EQ(without->Pixel(65, 55), 0xFF203040u);
  EXPECT_EQ(with_all->Pixel(110, 60), without->Pixel(110, 60));
}

}  // namespace
}  // namespace kirpo
