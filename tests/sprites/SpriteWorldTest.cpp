#include <gtest/gtest.h>

#include <cmath>

#include "common/Consts.h"
#include "sprites/FigureFixture.h"
#include "sprites/SpriteOps.h"

namespace kirpo {
namespace {

using test::GameInDir;

constexpr int Fig52 = 3;    // 52 x 52
constexpr int Fig104 = 4;   // 104 x 52
constexpr int FigTall = 5;  // 1 x 5
constexpr int FigFlat = 6;  // 5 x 1
constexpr int FigTwo = 7;   // 2 x 2
constexpr int FigZero = 0;  // figure 0 never collides

struct SpriteWorldTest : ::testing::Test {
  GameInDir env;
  Game& g = env.g();

  void SetUp() override {
    test::WriteFigure(env.dir, Fig52, 52, 52, 0xFF00FF00u);
    test::WriteFigure(env.dir, Fig104, 104, 52, 0xFF0000FFu);
    test::WriteFigure(env.dir, FigTall, 1, 5, 0xFF112233u);
    test::WriteFigure(env.dir, FigFlat, 5, 1, 0xFF112233u);
    test::WriteFigure(env.dir, FigTwo, 2, 2, 0xFF112233u);
    test::WriteFigure(env.dir, FigZero, 52, 52, 0xFF445566u);
    test::LoadFigures(g);
  }

  // Level coordinates: the field origin (0, 2) is added.
  TSprite& Make(int typ, int x, int y, int fig) {
    TSprite* s = CreateSprite(g, typ, x, y, -1, 1, 1, 0, fig, true, 20);
    EXPECT_NE(s, nullptr);
    return *s;
  }

  int CountMapped() const {
    int n = 0;
    for (int x = 0; x < DesignWidth; ++x)
      for (int y = 0; y < DesignHeight; ++y) n += g.world.MapValueAt(x, y) != 0;
    return n;
  }
};

TEST_F(SpriteWorldTest, SpriteAtRoundsHalvesToEvenAtTheEdges) {
  TSprite& s = Make(TypKMonster, 0, 0, Fig52);
  g.world.SetSpriteAt(&s, 0, 0);
  g.world.SetSpriteAt(&s, 1919, 0);
  g.world.SetSpriteAt(&s, 0, 1199);
  struct Case {
    float x, y;
    bool found;
  } cases[] = {
      {1919.5f, 0, false},   // rounds to 1920, outside
      {1919.4f, 0, true},    // rounds to 1919
      {-0.5f, 0, true},      // rounds to 0
      {-0.6f, 0, false},     // rounds to -1
      {0.5f, 1199.5f, false},  // 1199.5 rounds to 1200
      {0.5f, 1198.5f, false},  // 1198.5 rounds to 1198, not set
      {0.5f, 1199.4f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(g.world.SpriteAt(c.x, c.y) != nullptr, c.found);
  }
  // Writes outside the design space are dropped rather than wrapping into another column.
  g.world.SetSpriteAt(&s, 1920, 5);
  g.world.SetSpriteAt(&s, -1, 5);
  EXPECT_EQ(g.world.MapValueAt(0, 5), 0);
  EXPECT_EQ(g.world.MapValueAt(1919, 5), 0);
}

TEST_F(SpriteWorldTest, MappingStampsOnlyTheOutline) {
  TSprite& s = Make(TypKMonster, 104, 52, Fig52);
  ASSERT_EQ(s.Y, 54);
  MapSprite(g, s, true);
  EXPECT_EQ(CountMapped(), 204);
  for (int i = 0; i < 52; ++i) {
    EXPECT_EQ(g.world.SpriteAt(104.0f + i, 54), &s);
    EXPECT_EQ(g.world.SpriteAt(104.0f + i, 105), &s);
    EXPECT_EQ(g.world.SpriteAt(104, 54.0f + i), &s);
    EXPECT_EQ(g.world.SpriteAt(155, 54.0f + i), &s);
  }
  EXPECT_EQ(g.world.SpriteAt(130, 80), nullptr);
  EXPECT_EQ(g.world.SpriteAt(156, 54), nullptr);
  EXPECT_EQ(g.world.SpriteAt(104, 106), nullptr);
  MapSprite(g, s, false);
  EXPECT_EQ(CountMapped(), 0);
}

TEST_F(SpriteWorldTest, OutlineOfThinFigures) {
  struct Case {
    int fig, points;
  } cases[] = {{FigTall, 5}, {FigFlat, 5}, {FigTwo, 4}, {Fig104, 2 * 104 + 2 * 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fig);
    TSprite& s = Make(TypRBall, 520, 520, c.fig);
    MapSprite(g, s, true);
    EXPECT_EQ(CountMapped(), c.points);
    MapSprite(g, s, false);
    EXPECT_EQ(CountMapped(), 0);
  }
}

TEST_F(SpriteWorldTest, FiguresThatAreNeverMapped) {
  for (int typ : {TypRunner, TypT500, TypT1000, TypNebel, TypSchussK}) {
    SCOPED_TRACE(typ);
    TSprite& s = Make(typ, 104, 52, Fig52);
    MapSprite(g, s, true);
    EXPECT_EQ(CountMapped(), 0);
  }
  // Nor is a sprite without a picture.
  TSprite& none = Make(TypKMonster, 104, 52, 77);
  EXPECT_EQ(none.ImageIndex, -1);
  MapSprite(g, none, true);
  EXPECT_EQ(CountMapped(), 0);
}

TEST_F(SpriteWorldTest, FirstStampKeepsAPointAndErasingKeepsOthers) {
  TSprite& block = Make(TypStein, 104, 52, Fig52);
  MapSprite(g, block, true);
  ASSERT_EQ(CountMapped(), 204);

  // A monster half over the block fills only the border points the block does not hold.
  TSprite& monster = Make(TypKMonster, 130, 52, Fig52);
  MapSprite(g, monster, true);
  EXPECT_EQ(g.world.SpriteAt(130, 80), &monster);  // inside the block: was empty
  EXPECT_EQ(g.world.SpriteAt(130, 54), &block);    // the block's top edge stays the block's
  EXPECT_EQ(g.world.SpriteAt(155, 80), &block);
  EXPECT_EQ(g.world.SpriteAt(181, 80), &monster);
  MapSprite(g, monster, false);
  EXPECT_EQ(CountMapped(), 204);
  EXPECT_EQ(g.world.SpriteAt(130, 54), &block);
  EXPECT_EQ(g.world.SpriteAt(130, 80), nullptr);

  // A door or block whose top-left point is taken writes nothing at all, not even where free.
  TSprite& door = Make(TypDoor, 104, 52, Fig104);
  MapSprite(g, door, true);
  EXPECT_EQ(CountMapped(), 204);
  EXPECT_EQ(g.world.SpriteAt(200, 54), nullptr);
  // Any other figure there still takes the free points.
  TSprite& ball = Make(TypRBall, 104, 52, Fig104);
  MapSprite(g, ball, true);
  EXPECT_EQ(g.world.SpriteAt(200, 54), &ball);
}

TEST_F(SpriteWorldTest, KillSpriteUnmapsAndLeavesADiedEntry) {
  TSprite& a = Make(TypKMonster, 104, 52, Fig52);
  TSprite& b = Make(TypRBall, 520, 52, Fig52);
  MapSprite(g, a, true);
  MapSprite(g, b, true);
  a.TypGruppe = "g";
  KillSprite(g, a, true);
  EXPECT_EQ(a.Typ, TypDied);
  EXPECT_EQ(a.TypBez, "kmonster");
  EXPECT_FALSE(a.Visible);
  EXPECT_FALSE(a.CanDoCollisions);
  EXPECT_EQ(a.TypGruppe, "");
  EXPECT_EQ(g.world.SpriteCount(), 2);
  EXPECT_EQ(CountMapped(), 204);
  EXPECT_EQ(g.world.SpriteAt(520, 54), &b);

  // A kill without unmapping leaves the outline to whoever erases it later.
  KillSprite(g, b, false);
  EXPECT_EQ(CountMapped(), 204);
}

TEST_F(SpriteWorldTest, OverlapNeedsSharedArea) {
  struct Case {
    int ax, bx, by;
    int fig_a;
    bool visible_b;
    bool overlap;
  } cases[] = {
      {0, 52, 0, Fig52, true, false},       // touching along an edge
      {0, 51, 0, Fig52, true, true},
      {0, 0, 52, Fig52, true, false},       // touching below
      {0, 0, 51, Fig52, true, true},
      {0, 10, 0, FigZero, true, false},     // figure 0 never overlaps
      {0, 10, 0, Fig52, false, false},      // nor does an invisible sprite
      {0, 60, 0, Fig104, true, true},       // the wider figure reaches over
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bx) + "," + std::to_string(c.by) + " fig " + std::to_string(c.fig_a));
    TSprite& a = Make(TypKMonster, c.ax, 0, c.fig_a);
    TSprite& b = Make(TypRBall, c.bx, c.by, Fig52);
    a.ImageNr = a.FigNr;
    b.ImageNr = b.FigNr;
    b.Visible = c.visible_b;
    EXPECT_EQ(SpriteOverlap(g, a, b), c.overlap);
    EXPECT_EQ(SpriteOverlap(g, b, a), c.overlap);
  }
}

TEST_F(SpriteWorldTest, CreateSpriteAndSetImage) {
  TSprite& s = Make(TypKMonster, 520, 260, Fig52);
  EXPECT_EQ(s.X, 520);
  EXPECT_EQ(s.Y, 262);
  EXPECT_EQ(s.PatternWidth, 52);
  EXPECT_EQ(s.PatternHeight, 52);
  EXPECT_EQ(s.PatternCount, 1);
  EXPECT_EQ(s.ImageIndex, Fig52);
  EXPECT_EQ(s.Status, 1);
  EXPECT_TRUE(s.Visible);
  EXPECT_EQ(s.raks, 40);

  // A shot's position is already in design units.
  TSprite* shot = CreateSprite(g, TypSchussK, 520, 260, 10, 0, 0, 2, Fig52, true, 20);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->Y, 260);
  EXPECT_GT(shot->Id, s.Id);

  // A figure without a picture, or outside the table, changes nothing; the frame is kept when
  // the same figure is chosen again.
  s.PatternIndex = 3;
  for (int n : {Fig52, 77, -1, 401, 100000}) {
    SCOPED_TRACE(n);
    SetImage(g, s, n);
    EXPECT_EQ(s.ImageIndex, Fig52);
    EXPECT_EQ(s.FigNr, Fig52);
    EXPECT_EQ(s.PatternIndex, 3);
  }
  SetImage(g, s, Fig104);
  EXPECT_EQ(s.PatternWidth, 104);
  EXPECT_EQ(s.FWidth, 104.0f);
  EXPECT_EQ(s.PatternIndex, 0);
}

TEST_F(SpriteWorldTest, FullListGivesNull) {
  while (g.world.SpriteCount() < MaxSprites) ASSERT_NE(CreateSprite(g, TypPilz, 0, 0, -1, 0, 0, 0, Fig52, true, 20), nullptr);
  EXPECT_EQ(CreateSprite(g, TypPilz, 0, 0, -1, 0, 0, 0, Fig52, true, 20), nullptr);
  EXPECT_EQ(g.world.SpriteCount(), MaxSprites);
}

TEST(SpriteRandomTest, SequenceAfterSeed96) {
  RandomGenerator r;
  r.Reset();
  for (int expected : {1, 67, 64, 95, 55}) EXPECT_EQ(r.RandomInt(100), expected);
  r.Reset();
  EXPECT_DOUBLE_EQ(r.RandomFloat(), 53576161.0 / 4294967296.0);
  r.Reset();
  EXPECT_NEAR(r.RandomFloat(), 0.012474, 1e-6);
  EXPECT_FALSE(RandomGenerator{}.RandomBool());  // seed 0 -> 1, far below one half
}

TEST(SpriteConversionTest, PaintBoxAndLayout) {
  Game g;
  g.PboxWidth = 960;
  g.PboxHeight = 600;
  EXPECT_FLOAT_EQ(PboxToDesignX(g, 480), 960);
  EXPECT_FLOAT_EQ(PboxToDesignY(g, 300), 600);
  g.PboxWidth = 1000;
  g.PboxHeight = 700;
  // Each step in single precision: [333 * 100 / 1000] = 33.3f, then [33.3f * 1920 / 100].
  EXPECT_EQ(PboxToDesignX(g, 333), static_cast<float>(static_cast<double>(33.3f) * 1920 / 100));
  EXPECT_EQ(PboxToDesignY(g, 100), static_cast<float>(static_cast<double>(static_cast<float>(100.0 * 100 / 700)) * 1200 / 100));
  EXPECT_FLOAT_EQ(DesignToLayoutX(1920), 960);
  EXPECT_FLOAT_EQ(DesignToLayoutY(600), 300);
  EXPECT_FLOAT_EQ(DesignToLayoutX(0), 0);
  // A paint box that has no size yet gives the origin, not a division by zero.
  g.PboxWidth = 0;
  g.PboxHeight = 0;
  EXPECT_EQ(PboxToDesignX(g, 10), 0);
  EXPECT_EQ(PboxToDesignY(g, 10), 0);
}

}  // namespace
}  // namespace kirpo
