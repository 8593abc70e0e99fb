#include "sprites/SpriteDraw.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Host.h"
#include "sprites/FigureFixture.h"
#include "sprites/SpriteOps.h"

namespace kirpo {
namespace {

constexpr uint32_t Black = 0xFF000000u;
constexpr uint32_t Red = 0xFFFF0000u;
constexpr uint32_t Green = 0xFF00FF00u;
constexpr uint32_t Blue = 0xFF0000FFu;

constexpr int FigSquare = 3;  // 52 x 52 green
constexpr int FigStrip = 20;  // 156 x 52: red, green, blue frames
constexpr int FigHalves = 21; // 52 x 52: left half red, right half blue

struct SpriteDrawTest : ::testing::Test {
  test::GameInDir env;
  Game& g = env.g();
  std::unique_ptr<Host> host;

  void SetUp() override {
    test::WriteFigure(env.dir, FigSquare, 52, 52, Green);
    Bitmap strip = test::FigurePicture(156, 52, Red);
    for (int y = 0; y < 52; ++y)
      for (int x = 52; x < 156; ++x) strip.SetPixel(x, y, x < 104 ? Green : Blue);
    test::WriteFigure(env.dir, FigStrip, strip);
    Bitmap halves = test::FigurePicture(52, 52, Red);
    for (int y = 0; y < 52; ++y)
      for (int x = 26; x < 52; ++x) halves.SetPixel(x, y, Blue);
    test::WriteFigure(env.dir, FigHalves, halves);
    env.dir.Write("Kirpo-Movies.txt", "Nr;Frames;a;b\n20;3;0;0\n");
    g.figures.LoadMovieList();
    test::LoadFigures(g);
    g.PboxOpacity = 1;
  }

  // An offscreen picture cleared to black, drawn into by the sprite routines.
  bool Open(int w, int h) {
    host = CreateOffscreenHost(w, h);
    if (!host) return false;
    g.PaintCanvas = &host->GetCanvas();
    g.PaintCanvas->Clear(Black);
    return true;
  }

  TSprite& Make(int fig, int x, int y) {
    TSprite* s = CreateSprite(g, TypKMonster, x, y, -1, 0, 0, 0, fig, true, 20);
    EXPECT_NE(s, nullptr);
    return *s;
  }

  static RectF Box(const TSprite& s) { return RectF{s.X, s.Y, s.X + s.PatternWidth, s.Y + s.PatternHeight}; }
};

TEST_F(SpriteDrawTest, StretchedNotAspectKept) {
  TSprite& s = Make(FigSquare, 104, 52);
  DrawAlpha(g, s, Box(s), 1);  // no paint in progress: nothing happens
  if (!Open(1920, 600)) GTEST_SKIP() << "no offscreen renderer";
  g.ScaleX = 1920.0f / 1920;
  g.ScaleY = 600.0f / 1200;
  DrawAlpha(g, s, Box(s), 1);
  auto px = host->ReadPixels();
  ASSERT_TRUE(px);
  // (104, 54)-(156, 106) in design units covers (104, 27)-(156, 53) in the picture.
  for (auto [x, y] : {std::pair{105, 28}, {130, 40}, {155, 40}, {130, 52}, {110, 27}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(px->Pixel(x, y), Green);
  }
  for (auto [x, y] : {std::pair{103, 40}, {156, 40}, {130, 26}, {130, 53}, {130, 80}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(px->Pixel(x, y), Black);
  }
}

TEST_F(SpriteDrawTest, PatternIndexSelectsTheFrame) {
  if (!Open(200, 100)) GTEST_SKIP() << "no offscreen renderer";
  TSprite& s = Make(FigStrip, 10, 10);
  ASSERT_EQ(s.PatternWidth, 52);
  ASSERT_EQ(s.PatternCount, 3);
  const uint32_t expected[] = {Red, Green, Blue};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    s.PatternIndex = k;
    DrawAlpha(g, s, Box(s), 1);
    auto px = host->ReadPixels();
    EXPECT_EQ(px->Pixel(30, 30), expected[k]);
    EXPECT_EQ(px->Pixel(12, 60), expected[k]);
    EXPECT_EQ(px->Pixel(62, 30), Black);  // nothing of the neighbouring frame spills over
  }
}

TEST_F(SpriteDrawTest, RotationTurnsClockwiseInsideTheBox) {
  if (!Open(200, 200)) GTEST_SKIP() << "no offscreen renderer";
  TSprite& s = Make(FigHalves, 52, 50);  // box (52, 52)-(104, 104)
  DrawRotate(g, s, 52, 52, 104, 104, 0, 90, 1);
  auto px = host->ReadPixels();
  // The left half (red) is now on top, the right half (blue) below.
  EXPECT_EQ(px->Pixel(52 + 42, 52 + 10), Red);
  EXPECT_EQ(px->Pixel(52 + 10, 52 + 10), Red);
  EXPECT_EQ(px->Pixel(52 + 10, 52 + 42), Blue);
  EXPECT_EQ(px->Pixel(52 + 42, 52 + 42), Blue);

  g.PaintCanvas->Clear(Black);
  DrawRotate(g, s, 52, 52, 104, 104, 0, 45, 1);
  px = host->ReadPixels();
  // The turned corners are cut off by the box, and its corners stay empty.
  EXPECT_EQ(px->Pixel(52 + 26, 52 - 4), Black);
  EXPECT_EQ(px->Pixel(52 - 4, 52 + 26), Black);
  EXPECT_EQ(px->Pixel(52 + 1, 52 + 1), Black);
  EXPECT_EQ(px->Pixel(104 - 2, 104 - 2), Black);
  EXPECT_NE(px->Pixel(52 + 26, 52 + 1), Black);
  EXPECT_NE(px->Pixel(52 + 20, 52 + 26), Black);
}

TEST_F(SpriteDrawTest, PictureOpacityScalesEveryFigure) {
  if (!Open(200, 100)) GTEST_SKIP() << "no offscreen renderer";
  g.PboxOpacity = 0.5f;
  TSprite& s = Make(FigSquare, 10, 10);
  DrawAlpha(g, s, Box(s), s.Transpar0124);
  TSprite& turned = Make(FigSquare, 100, 10);
  DrawRotate(g, turned, 100, 12, 152, 64, 0, 180, 1);
  auto px = host->ReadPixels();
  for (auto [x, y] : {std::pair{30, 30}, {125, 35}}) {
    SCOPED_TRACE(x);
    const uint32_t p = px->Pixel(x, y);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 128, 2);
    EXPECT_EQ(p & 0x00FF00FFu, 0u);
  }
}

TEST_F(SpriteDrawTest, SteinDrawsItsFrameUnscaled) {
  Bitmap background(300, 100, Black);
  TSprite& s = Make(FigStrip, 0, 0);
  s.PatternIndex = 1;
  g.ScaleX = 3;  // the background has its own pixels: the paint's scale plays no part
  DrawStein(g, s, background, RectF{20, 30, 72, 82}, 1);
  EXPECT_EQ(background.Pixel(20, 30), Green);
  EXPECT_EQ(background.Pixel(71, 81), Green);
  EXPECT_EQ(background.Pixel(72, 81), Black);
  EXPECT_EQ(background.Pixel(19, 30), Black);
  // Frame 0 has the see-through key pixel at its corner: the background shows through.
  s.PatternIndex = 0;
  DrawStein(g, s, background, RectF{100, 30, 152, 82}, 1);
  EXPECT_EQ(background.Pixel(100, 30), Black);
  EXPECT_EQ(background.Pixel(101, 30), Red);
}

}  // namespace
}  // namespace kirpo
