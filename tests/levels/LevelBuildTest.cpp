#include "levels/LevelBuild.h"

#include <gtest/gtest.h>

#include "game/Movement.h"
#include "levels/Movies.h"
#include "sprites/FigureFixture.h"
#include "sprites/SpriteOps.h"

namespace kirpo {
namespace {

std::string Line(const std::string& typ, int x, int y, int fig) {
  return "Typ=" + typ + ",X=" + std::to_string(x) + ",Y=" + std::to_string(y) +
         ",Ebene=1,Hoehe=1,Richtung=Sued,FigNr=" + std::to_string(fig) + ",IVTime=0\r\n";
}

struct LevelBuildTest : ::testing::Test {
  test::GameInDir env;
  Game& g = env.g();
  test::ScopedManualClock clock{100000};

  void SetUp() override {
    clock->Drive(&g.st.Time);
    test::WriteFigure(env.dir, 3, 52, 52, 0xFF3366CCu);   // block
    test::WriteFigure(env.dir, 7, 52, 52, 0xFF00FF00u);   // level figures
    test::WriteFigure(env.dir, 8, 52, 52, 0xFFFFFF00u);   // runner
    test::WriteFigure(env.dir, 28, 52, 52, 0xFFEEEEEEu);  // puff 28..32, widths differ
    test::WriteFigure(env.dir, 29, 60, 40, 0xFFEEEEEEu);
    test::WriteFigure(env.dir, 30, 70, 30, 0xFFEEEEEEu);
    test::WriteFigure(env.dir, 31, 80, 20, 0xFFEEEEEEu);
    test::WriteFigure(env.dir, 32, 90, 10, 0xFFEEEEEEu);
    test::WriteFigure(env.dir, 40, 260, 52, 0xFF808080u);  // touch marker
    test::WriteFigure(env.dir, 68, 52, 26, 0xFFFF8000u);   // bonus label
    test::LoadFigures(g);
    g.st.Level = 5;
  }

  TSprite& Pilz(int x, int y) {
    TSprite* s = CreateSprite(g, TypPilz, x, y, -1, 1, 1, 0, 7, true, 20);
    EXPECT_NE(s, nullptr);
    return *s;
  }
};

TEST_F(LevelBuildTest, LevelSpritesInFileOrderThenTheRunner) {
  // 30 lines: 10 blocks, a kmonster and a gmonster that Easy leaves out, 18 further figures.
  const char* others[] = {"pilz", "bball", "rball", "door", "EndGegner", "Truemmer", "ign", "pilz", "rball"};
  std::string text;
  std::vector<int> expected;
  for (int i = 0; i < 10; ++i) text += Line("stein", i * 52, 0, 3);
  for (int i = 0; i < 18; ++i) {
    if (i == 4) text += Line("kmonster", 0, 520, 7);
    if (i == 11) text += Line("gmonster", 52, 520, 7);
    const std::string typ = others[i % 9];
    text += Line(typ, i * 52, 104, 7);
    for (int t = 0; t < TypeCount; ++t)
      if (typ == TypeNames[t]) expected.push_back(t);
  }
  env.dir.Write("generatedfigures_5.txt", text);
  g.st.Difficulty = 0;
  InitSpriteEngine(g);

  ASSERT_EQ(g.world.SpriteCount(), 19);
  for (int i = 0; i < 18; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(g.world.At(i).Typ, expected[static_cast<size_t>(i)]);
    EXPECT_EQ(g.world.At(i).X, i * 52.0f);
  }
  TSprite* runner = g.RunnerSprite();
  ASSERT_EQ(runner, &g.world.At(18));
  EXPECT_EQ(runner->Typ, TypRunner);
  EXPECT_FALSE(runner->Visible);
  EXPECT_EQ(runner->X, 1508);
  EXPECT_EQ(runner->Y, 938);
  EXPECT_EQ(runner->Z, 12);
  EXPECT_EQ(runner->TypSpeed, 4);
  EXPECT_EQ(runner->FigNr, 8);
  EXPECT_EQ(g.st.RunnerX, 1508);
  EXPECT_EQ(g.st.RunnerY, 938);
  EXPECT_EQ(g.st.RunnerHoehe, 8);
  EXPECT_EQ(g.st.RunnerFigNr, 8);
  ASSERT_TRUE(g.BackgroundBitmap);
  EXPECT_EQ(g.world.SpriteAt(9 * 52, 2), g.world.BlockTemplate());

  // A second runner is never made.
  CreateFLZ(g);
  EXPECT_EQ(g.world.SpriteCount(), 19);
}

TEST_F(LevelBuildTest, TeardownLeavesNothingReachable) {
  env.dir.Write("generatedfigures_5.txt", Line("stein", 0, 0, 3) + Line("rball", 520, 520, 7));
  InitSpriteEngine(g);
  TSprite& ball = g.world.At(0);
  MapSprite(g, ball, true);
  ASSERT_EQ(g.world.SpriteAt(520, 522), &ball);

  FreeSpriteEngine(g, false, true, true);  // asks for nothing
  EXPECT_EQ(g.world.SpriteCount(), 2);
  EXPECT_TRUE(g.BackgroundBitmap);

  FreeSpriteEngine(g, true, false, false);
  EXPECT_EQ(g.world.SpriteCount(), 0);
  EXPECT_EQ(g.RunnerSprite(), nullptr);
  EXPECT_FALSE(g.BackgroundBitmap);
  EXPECT_EQ(g.world.SpriteAt(520, 522), nullptr);
  // The blocks' outlines stay until the next game clears the map; the template lives on.
  EXPECT_EQ(g.world.SpriteAt(0, 2), g.world.BlockTemplate());
}

TEST_F(LevelBuildTest, PuffShowsItsFiguresAndVanishes) {
  TSprite& old = Pilz(520, 260);
  const int64_t t0 = clock->Now();
  CreatePlopp(g, old, 100, 50, 0, -10);
  TSprite& puff = g.world.At(1);
  EXPECT_EQ(puff.Typ, TypNebel);
  EXPECT_EQ(puff.FigNr, 28);
  EXPECT_EQ(puff.Z, 18);
  EXPECT_FALSE(puff.CanDoCollisions);
  EXPECT_EQ(puff.X, 520);
  EXPECT_EQ(puff.Y, 252);  // no field origin on top of the old sprite's place

  // The first step is due at once (LastActivity 0), then one every 100 ms.
  struct Step {
    int64_t at;
    int figure;  // 0: removed
  } steps[] = {{0, 29}, {99, 29}, {100, 30}, {199, 30}, {200, 31}, {300, 32}, {399, 32}, {400, 0}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.at);
    clock->Set(t0 + s.at);
    DoMove(g, puff);  // as the update pass steps it
    if (s.figure == 0) {
      EXPECT_EQ(puff.Typ, TypDied);
    } else {
      EXPECT_EQ(puff.Typ, TypNebel);
      EXPECT_EQ(puff.FigNr, s.figure);
      EXPECT_EQ(puff.ImageIndex, s.figure);
      EXPECT_EQ(puff.X, 520);  // the top-left corner stays
      EXPECT_EQ(puff.Y, 252);
    }
  }

  CreateNebel(g, old, 50, 20, 0, 0);
  EXPECT_EQ(g.world.At(2).AktuellesBild, 60);
  EXPECT_EQ(g.world.At(2).EndeBild, 65);
}

TEST_F(LevelBuildTest, BonusLabelsCloseTogetherAreRaisedOnce) {
  TSprite& old = Pilz(520, 260);
  struct Case {
    int64_t after;
    float y;
  } cases[] = {
      {0, 210},        // plain: the sprite's place one label higher (korrY -52)
      {1000, 197},     // within 2 s: half a label (13) higher
      {500, 210},      // the third within the same 2 s: plain again
      {1999, 197},
      {100, 210},
      {2000, 210},     // two seconds apart is not close
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    clock->Advance(c.after);
    CreateBonus(g, old, TypT1000, 68, 25, 50, 0, -52, 1000);
    const TSprite& label = g.world.At(++n);
    EXPECT_EQ(label.Typ, TypT1000);
    EXPECT_EQ(label.X, 520);
    EXPECT_EQ(label.Y, c.y);
    EXPECT_EQ(label.IntervalTime, 25);
    EXPECT_EQ(label.IntervalCount, 50);
    EXPECT_EQ(label.Bonus, 1000);
    EXPECT_EQ(g.st.Score, 1000 * n);
  }
}

TEST_F(LevelBuildTest, FullListMakesNoEffectsAndNoPoints) {
  TSprite& old = Pilz(520, 260);
  while (g.world.SpriteCount() < MaxSprites) Pilz(0, 0);
  CreateBonus(g, old, TypT1000, 68, 25, 50, 0, -52, 1000);
  CreatePlopp(g, old, 100, 50, 0, 0);
  CreateNebel(g, old, 100, 50, 0, 0);
  CreateTouch(g, 10, 10);
  EXPECT_EQ(g.world.SpriteCount(), MaxSprites);
  EXPECT_EQ(g.st.Score, 0);
  EXPECT_EQ(g.st.LastBonusAt, 0);
}

TEST_F(LevelBuildTest, TouchMarker) {
  CreateTouch(g, 300.5f, 200);
  const TSprite& t = g.world.At(0);
  EXPECT_EQ(t.Typ, TypTouch);
  EXPECT_EQ(t.X, 300.5f);
  EXPECT_EQ(t.Y, 200);
  EXPECT_EQ(t.Z, 18);
  EXPECT_EQ(t.FigNr, 40);
  EXPECT_TRUE(t.AnimActive);
  EXPECT_FALSE(t.AnimLoop);
  EXPECT_EQ(t.AnimSpeed, 250);
  EXPECT_EQ(t.AnimStop, 4);
  EXPECT_FALSE(t.CanDoCollisions);
}

}  // namespace
}  // namespace kirpo
