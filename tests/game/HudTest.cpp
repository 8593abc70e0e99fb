#include "game/Hud.h"
#include "scores/HiScores.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/Game.h"
#include "platform/Bitmap.h"
#include "platform/Host.h"
#include "scores/ScoreText.h"
#include "game/MainFormLayout.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
  void Add(int x, int y) {
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
};

uint8_t R(uint32_t p) { return (p >> 16) & 0xFF; }
uint8_t G(uint32_t p) { return (p >> 8) & 0xFF; }
uint8_t B(uint32_t p) { return p & 0xFF; }

template <class Pred>
Box PixelsWhere(const Bitmap& b, Pred pred) {
  Box box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (pred(b.Pixel(x, y))) box.Add(x, y);
  return box;
}

// A game drawing on an offscreen canvas of the given size, scaled as a paint would scale it.
struct HudTest : ::testing::Test {
  test::TempDir dir;
  Game g{dir.Path()};
  std::unique_ptr<Host> host;

  Canvas& UseCanvas(int w, int h) {
    host = CreateOffscreenHost(w, h);
    EXPECT_TRUE(host);
    g.PaintCanvas = &host->GetCanvas();
    g.ScaleX = w / 1920.0f;
    g.ScaleY = h / 1200.0f;
    g.FitScaleX = g.FitScaleY = std::min(g.ScaleX, g.ScaleY);
    g.PboxOpacity = 1;
    g.PaintCanvas->Clear(0xFF000000);
    return *g.PaintCanvas;
  }
  std::unique_ptr<Bitmap> Pixels() { return host->ReadPixels(); }
};

TEST_F(HudTest, LabelsShowTheStateAndTheLastThousandPointsBlink) {
  BuildMainForm(g);
  struct Case {
    int32_t bonus;
    bool demo, completed;
    bool visible_before, visible_after;
  };
  const Case cases[] = {
      {990, false, false, true, false},   // 99 is odd
      {980, false, false, false, true},   // 98 is even
      {995, false, false, false, true},   // 99.5 rounds to 100
      {985, false, false, false, true},   // 98.5 rounds to 98
      {1000, false, false, false, false},  // not yet the warning: visibility untouched
      {990, true, false, true, true},     // not in the attract mode
      {990, false, true, true, true},     // not after the level is won
  };
  for (const Case& c : cases) {
    g.st.TimeBonus = c.bonus;
    g.st.Demomode = c.demo;
    g.st.MissionCompleted = c.completed;
    g.mf.f1Bonus->visible = c.visible_before;
    UpdateHud(g);
    EXPECT_EQ(g.mf.f1Bonus->visible, c.visible_after) << c.bonus << " demo " << c.demo << " won " << c.completed;
    EXPECT_EQ(g.mf.f1Bonus->text, BonusToStr(c.bonus));
  }
  g.st.Score = 1230;
  g.st.HiScore = 45000;
  g.st.Level = 6;
  UpdateHud(g);
  EXPECT_EQ(g.mf.f1Score->text, "OOO123O");
  EXPECT_EQ(g.mf.f1Hiscore->text, "OO45OOO");
  EXPECT_EQ(g.mf.f1Mission->text, "7");
}

TEST_F(HudTest, FilledTextBoxIsCentredOverThePlayFieldNotTheWindow) {
  struct Case {
    int w, h;
    float centre;
  };
  // (width - 256 x the smaller scale) / 2: the button panel on the right is left out.
  const Case cases[] = {{1920, 1200, 832}, {1920, 600, 896}, {960, 600, 416}};
  for (const Case& c : cases) {
    UseCanvas(c.w, c.h);
    myWriteTextEx(g, RectF{0, 0, 10, 10}, "LEVEL", 96, 0xFFFFFF00, 0xFF0000FF, 1.0f, TextAlign::Center,
                  TextAlign::Center, false);
    auto px = Pixels();
    const Box blue = PixelsWhere(*px, [](uint32_t p) { return B(p) > 200 && R(p) < 50 && G(p) < 50; });
    ASSERT_FALSE(blue.Empty()) << c.w << "x" << c.h;
    EXPECT_NEAR((blue.left + blue.right + 1) / 2.0, c.centre, 1.0) << c.w << "x" << c.h;
    EXPECT_NEAR((blue.top + blue.bottom + 1) / 2.0, c.h / 2.0, 1.0) << c.w << "x" << c.h;
  }
}

TEST_F(HudTest, EndTextCastsItsShadowFourPixelsDownAndRight) {
  UseCanvas(1920, 1200);
  WriteEndText(g, "GAME OVER");
  auto px = Pixels();
  const Box yellow = PixelsWhere(*px, [](uint32_t p) { return R(p) > 150 && G(p) > 150 && B(p) < 60; });
  const Box grey = PixelsWhere(*px, [](uint32_t p) {
    return R(p) > 60 && std::abs(int(R(p)) - int(B(p))) < 20 && std::abs(int(G(p)) - int(B(p))) < 20;
  });
  ASSERT_FALSE(yellow.Empty());
  ASSERT_FALSE(grey.Empty());
  EXPECT_NEAR(grey.right, yellow.right + 4, 1);
  EXPECT_NEAR(grey.bottom, yellow.bottom + 4, 1);
  // The shadow sits where the centred box is; the text itself is moved up and left.
  EXPECT_NEAR((grey.left + grey.right) / 2.0, 832, 8);
  EXPECT_NEAR((yellow.left + yellow.right) / 2.0, 828, 8);
}

TEST_F(HudTest, EndTextKeepsADarkRimOverBrightBlocks) {
  Canvas& c = UseCanvas(960, 600);
  c.Clear(0xFFFFFFFF);  // as bright as an ice block gets
  WriteEndText(g, "Killed by enemy");
  auto px = Pixels();
  const Box yellow = PixelsWhere(*px, [](uint32_t p) { return R(p) > 200 && G(p) > 200 && B(p) < 60; });
  ASSERT_FALSE(yellow.Empty());
  auto dark = [&](int x, int y) {
    const uint32_t p = px->Pixel(x, y);
    return R(p) < 128 && G(p) < 128 && B(p) < 128;
  };
  // Around the text, on every side, the white is gone.
  for (int y = yellow.top - 3; y <= yellow.bottom + 3; y += 3) {
    EXPECT_TRUE(dark(yellow.left - 3, y)) << y;
    EXPECT_TRUE(dark(yellow.right + 3, y)) << y;
  }
  for (int x = yellow.left; x <= yellow.right; x += 5) {
    EXPECT_TRUE(dark(x, yellow.top - 3)) << x;
    EXPECT_TRUE(dark(x, yellow.bottom + 3)) << x;
  }
  // Far from the text the field stays as it was.
  EXPECT_EQ(px->Pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(HudTest, BlankTextDrawsNothingAndWithoutBackColourTheCallersBoxIsUsed) {
  Canvas& c = UseCanvas(960, 600);
  myWriteTextEx(g, RectF{0, 0, 960, 600}, "   ", 96, 0xFFFFFFFF, 0xFF0000FF, 1.0f, TextAlign::Center,
                TextAlign::Center, true);
  auto blank = Pixels();
  EXPECT_TRUE(PixelsWhere(*blank, [](uint32_t p) { return (p & 0xFFFFFF) != 0; }).Empty());

  c.Clear(0xFF000000);
  const RectF box{100, 120, 500, 300};
  myWriteTextEx(g, box, "HIGH", 72, 0xFFFFFFFF, 1, 1.0f, TextAlign::Leading, TextAlign::Leading, false);
  auto px = Pixels();
  const Box white = PixelsWhere(*px, [](uint32_t p) { return (p & 0xFFFFFF) != 0; });
  ASSERT_FALSE(white.Empty());
  EXPECT_GE(white.left, 100);
  EXPECT_LT(white.left, 110);
  EXPECT_GE(white.top, 120);
  EXPECT_LE(white.right, 500);
  EXPECT_LE(white.bottom, 300);
}

// A one-colour figure; its first pixel differs, since loading makes that colour transparent.
void WriteFigure(const test::TempDir& dir, int n, int w, int h, uint32_t colour) {
  Bitmap b(w, h, colour);
  b.SetPixel(0, 0, 0xFF010203);
  ASSERT_TRUE(b.SavePng(dir.File("Neu" + std::to_string(n) + ".png")));
}

TEST_F(HudTest, PicturesTurnTheSunburstFiveDegreesPerFrameAndShowTheirFigure) {
  WriteFigure(dir, 34, 156, 94, 0xFFFF0000);
  WriteFigure(dir, 35, 192, 120, 0xFF0000FF);
  WriteFigure(dir, 36, 64, 64, 0xFF00FF00);
  g.figures.BuildingImageStore = true;
  g.figures.LoadFigureImages(3);

  UseCanvas(960, 600);
  g.st.RotatingAngle = 355;
  ShowLevelPicture(g, 34);
  EXPECT_EQ(g.st.RotatingAngle, 0);
  auto level = Pixels();
  // The picture box is design (52, 210) to (1612, 1146): here (26, 105) to (806, 573).
  EXPECT_EQ(level->Pixel(400, 330) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(level->Pixel(800, 568) & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(level->Pixel(20, 330) & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(level->Pixel(400, 580) & 0xFFFFFF, 0xFF0000u);

  ShowFinalPicture(g);
  EXPECT_EQ(g.st.RotatingAngle, 5);
  auto final_picture = Pixels();
  EXPECT_EQ(final_picture->Pixel(900, 580) & 0xFFFFFF, 0x0000FFu);

  // A frame that is not drawn still turns the sunburst.
  g.SkipDrawing = true;
  ShowLevelPicture(g, 34);
  EXPECT_EQ(g.st.RotatingAngle, 10);
}

TEST_F(HudTest, DifficultyIconAndLabelAlwaysAgreeCrazyInTheDemoAndTheTablesOwnWithIt) {
  BuildMainForm(g);
  const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  Bitmap pictures[3] = {Bitmap(20, 20, colours[0]), Bitmap(20, 20, colours[1]), Bitmap(20, 20, colours[2])};
  for (int i = 0; i < 3; ++i) g.mf.DifficultyImages[static_cast<size_t>(5 + i)] = &pictures[i];
  BindDifficultyGlyph(g);
  ASSERT_TRUE(g.mf.b_Difficulty->on_paint);

  struct Case {
    bool demo;
    bool table;  // the attract mode shows the table of table_difficulty
    int difficulty;
    int table_difficulty;
    int start_level;
    const char* label;
    uint32_t colour;
  };
  const Case cases[] = {{false, false, 0, 0, 0, "EASY", colours[0]},
                        {false, false, 1, 0, 0, "HARD", colours[1]},
                        {false, false, 2, 0, 0, "CRAZY", colours[2]},
                        {false, false, 1, 0, 3, "TRAINING", colours[1]},
                        {true, false, 0, 0, 0, "CRAZY", colours[2]},
                        // After a game on Hard its table shows, and the display names its difficulty.
                        {true, true, 0, 1, 0, "HARD", colours[1]},
                        {true, true, 2, 0, 0, "EASY", colours[0]}};
  for (const Case& c : cases) {
    Canvas& canvas = UseCanvas(100, 100);
    g.st.Demomode = c.demo;
    g.st.ShowHiScores = c.table;
    g.st.Difficulty = c.difficulty;
    g.st.StartLevel = c.start_level;
    g.hiscores().TableDifficulty = c.table_difficulty;
    g.mf.f1Difficulty->text = "stale";
    ShowHudDifficulty(g);
    EXPECT_EQ(g.mf.f1Difficulty->text, c.label) << "before the glyph is painted";
    g.mf.b_Difficulty->on_paint(canvas, RectF{10, 10, 60, 60});
    EXPECT_EQ(g.mf.f1Difficulty->text, c.label);
    auto px = Pixels();
    EXPECT_EQ(px->Pixel(35, 35), c.colour) << c.label << " demo " << c.demo;
    EXPECT_EQ(px->Pixel(80, 80), 0xFF000000u);
  }
}

}  // namespace
}  // namespace kirpo
