#include "levels/Movies.h"

#include <gtest/gtest.h>

#include <cstring>

#include "levels/Recordings.h"
#include "sprites/FigureFixture.h"
#include "sprites/SpriteOps.h"

namespace kirpo {
namespace {

struct MoviesTest : ::testing::Test {
  test::GameInDir env;
  Game& g = env.g();
  test::ScopedManualClock clock{100000};

  void SetUp() override {
    clock->Drive(&g.st.Time);
    test::WriteFigure(env.dir, 7, 52, 52, 0xFF00FF00u);  // the monster
    for (int n = 73; n <= 81; ++n) test::WriteFigure(env.dir, n, n == 80 ? 104 : 52, 52, 0xFF800000u + n);
    test::WriteFigure(env.dir, 82, 26, 26, 0xFF0000FFu);
    test::WriteFigure(env.dir, 83, 27, 27, 0xFF0000FFu);
    test::WriteFigure(env.dir, 28, 52, 52, 0xFFEEEEEEu);
    test::WriteFigure(env.dir, 68, 52, 26, 0xFFFF8000u);
    test::LoadFigures(g);
  }

  TSprite& Monster() {
    TSprite* s = CreateSprite(g, TypKMonster, 520, 260, -1, 1, 1, RiOst, 7, true, 20);
    EXPECT_NE(s, nullptr);
    MapSprite(g, *s, true);
    return *s;
  }
};

TEST_F(MoviesTest, CrushedMonsterEndsInPuffAndBonus) {
  TSprite& m = Monster();
  const int64_t t0 = clock->Now();
  MakeMovie(g, m, -1, 73, 81, 100, false, TAlign::alBottom, true, true, TypT1000, 68, 1000, 0, -m.PatternHeight);
  EXPECT_EQ(m.Typ, TypMovie);
  EXPECT_EQ(m.FigNr, 73);
  EXPECT_EQ(m.TypDirection, RiSued);
  EXPECT_FALSE(m.CanDoCollisions);
  EXPECT_EQ(g.world.SpriteAt(520, 262), &m);

  // Nine figures 100 ms apart, the first at once; the bottom centre stays where it was.
  for (int k = 1; k <= 8; ++k) {
    SCOPED_TRACE(k);
    clock->Set(t0 + 100 * k - 1);
    MovieStep(g, m);
    EXPECT_EQ(m.FigNr, 73 + k - 1);
    clock->Set(t0 + 100 * k);
    MovieStep(g, m);
    EXPECT_EQ(m.FigNr, 73 + k);
    EXPECT_EQ(m.X, m.FigNr == 80 ? 494 : 520);
    EXPECT_EQ(m.Y, 262);
    EXPECT_EQ(g.world.SpriteAt(m.X, m.Y), &m);
  }
  EXPECT_EQ(g.world.SpriteAt(494, 262), nullptr);  // the wide figure's outline went with it

  clock->Set(t0 + 900);
  MovieStep(g, m);
  EXPECT_EQ(m.Typ, TypDied);
  EXPECT_EQ(m.rak1, 1);
  EXPECT_EQ(g.world.SpriteAt(520, 262), nullptr);
  EXPECT_EQ(g.world.SpriteAt(571, 313), nullptr);
  ASSERT_EQ(g.world.SpriteCount(), 3);
  const TSprite& puff = g.world.At(1);
  const TSprite& label = g.world.At(2);
  EXPECT_EQ(puff.Typ, TypNebel);
  EXPECT_EQ(puff.FigNr, 28);
  EXPECT_EQ(puff.IntervalTime, 100);
  EXPECT_EQ(puff.X, 520);
  EXPECT_EQ(puff.Y, 210);
  EXPECT_EQ(label.Typ, TypT1000);
  EXPECT_EQ(label.FigNr, 68);
  EXPECT_EQ(label.X, 520);
  EXPECT_EQ(label.Y, 210);
  EXPECT_EQ(label.IntervalTime, 25);
  EXPECT_EQ(label.IntervalCount, 50);
  EXPECT_EQ(g.st.Score, 1000);
}

TEST_F(MoviesTest, SequenceThatRestsInsteadOfVanishing) {
  TSprite& m = Monster();
  const int64_t t0 = clock->Now();
  MakeMovie(g, m, 82, 73, 74, 100, false, TAlign::alNone, true, true, TypT1000, 68, 1000, 0, -52);
  clock->Set(t0 + 100);
  MovieStep(g, m);
  EXPECT_EQ(m.FigNr, 74);
  clock->Set(t0 + 200);
  MovieStep(g, m);
  EXPECT_EQ(m.FigNr, 82);
  EXPECT_EQ(m.rak1, 1);
  EXPECT_EQ(m.Typ, TypMovie);
  clock->Set(t0 + 300);
  MovieStep(g, m);
  EXPECT_EQ(m.FigNr, 82);
  EXPECT_EQ(g.world.SpriteCount(), 1);  // no bonus for a figure that stays
  EXPECT_EQ(g.st.Score, 0);

  // A running frame animation keeps the last figure on screen.
  TSprite& n = Monster();
  MakeMovie(g, n, -1, 73, 73, 100, false, TAlign::alNone, false, false, TypT1000, 68, 1000, 0, -52);
  n.AnimActive = true;
  clock->Set(t0 + 400);
  MovieStep(g, n);
  EXPECT_EQ(n.Typ, TypMovie);
  EXPECT_EQ(n.FigNr, 73);
  EXPECT_EQ(n.rak1, 0);
}

TEST_F(MoviesTest, AlignmentKeepsItsPointInPlace) {
  struct Case {
    TAlign align;
    int fig;
    float x, y;
    int shown;
  } cases[] = {
      {TAlign::alNone, 82, 520, 262, 82},
      {TAlign::alBottom, 82, 533, 288, 82},  // bottom centre (546, 314) stays
      {TAlign::alCenter, 82, 533, 275, 82},  // centre (546, 288) stays
      {TAlign::alCenter, 83, 533, 275, 83},  // 27 wide: half is 13
      {TAlign::alTop, 82, 533, 249, 82},     // as it always was: no point stays
      {TAlign::alLeft, 82, 520, 262, 73},    // nothing at all
      {TAlign::alRight, 82, 520, 262, 73},
      {TAlign::alBottom, 90, 520, 262, 73},  // a figure without a picture: nothing moves
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.align)) + " fig " + std::to_string(c.fig));
    TSprite& s = Monster();
    SetImage(g, s, 73);
    SetImageAligned(g, s, c.fig, c.align, true, true);
    EXPECT_EQ(s.X, c.x);
    EXPECT_EQ(s.Y, c.y);
    EXPECT_EQ(s.ImageIndex, c.shown);
    if (c.align != TAlign::alLeft && c.align != TAlign::alRight) {
      EXPECT_EQ(s.FigNr, c.fig);
    }
    EXPECT_EQ(g.world.SpriteAt(s.X, s.Y), &s);
    KillSprite(g, s, true);
  }
}

TEST(RecordingsTest, RecordLayout) {
  RecordFrame f;
  f.RunnerX = 1508;
  f.RunnerY = -2.5f;
  f.RunnerFig = 8;
  f.GMonsterX = 1.25f;
  f.GMonsterY = 2;
  f.GMonsterFig = 51;
  f.GMonsterPattern = -3;
  f.KMonsterX = 520;
  f.KMonsterY = 262;
  f.KMonsterFig = 73;
  f.TouchX = 300;
  f.TouchY = 400;
  f.Steering = 16 | 8;
  uint8_t raw[RecordSize];
  std::memset(raw, 0xAB, sizeof raw);
  Recordings::Encode(f, raw);
  EXPECT_EQ(raw[0], 0x00);  // 1508.0f = 0x44BC8000
  EXPECT_EQ(raw[1], 0x80);
  EXPECT_EQ(raw[2], 0xBC);
  EXPECT_EQ(raw[3], 0x44);
  EXPECT_EQ(raw[8], 8);
  EXPECT_EQ(raw[24], 0xFD);  // -3
  EXPECT_EQ(raw[27], 0xFF);
  EXPECT_EQ(raw[36], 73);
  EXPECT_EQ(raw[48], 24);
  EXPECT_EQ(raw[49] | raw[50] | raw[51], 0);

  Recordings r;
  r.Decode(raw, sizeof raw);
  const RecordFrame& d = r.Frame(0);
  EXPECT_EQ(d.RunnerX, 1508);
  EXPECT_EQ(d.RunnerY, 0);  // a place off the field reads as no place
  EXPECT_EQ(d.GMonsterX, 1.25f);
  EXPECT_EQ(d.GMonsterPattern, 0);  // so does a frame no strip has
  EXPECT_EQ(d.KMonsterFig, 73);
  EXPECT_EQ(d.TouchY, 400);
  EXPECT_EQ(d.Steering, 24);
  EXPECT_EQ(r.Frame(1).RunnerX, 0);
}

TEST(RecordingsTest, ShortMissingAndLongFiles) {
  test::TempDir dir;
  Game g(dir.Path());
  g.st.Level = 2;
  RecordFrame f;
  f.RunnerX = 100;
  f.RunnerY = 200;
  f.KMonsterX = 300;
  f.Steering = 1;
  uint8_t raw[RecordSize];
  Recordings::Encode(f, raw);

  // One and a half records: the second keeps what it has, the rest are zeros.
  std::string bytes(reinterpret_cast<char*>(raw), RecordSize);
  bytes += std::string(reinterpret_cast<char*>(raw), 20);
  dir.Write("recordings_2.txt", bytes);
  LoadRecordings(g);
  EXPECT_EQ(g.recordings.Frame(0).KMonsterX, 300);
  EXPECT_EQ(g.recordings.Frame(0).Steering, 1);
  EXPECT_EQ(g.recordings.Frame(1).RunnerY, 200);
  EXPECT_EQ(g.recordings.Frame(1).KMonsterX, 0);
  EXPECT_EQ(g.recordings.Frame(1).Steering, 0);
  EXPECT_EQ(g.recordings.Frame(2).RunnerX, 0);

  // Past the last record playback stays on it.
  std::string full;
  for (int i = 0; i < RecordCount + 5; ++i) {
    f.RunnerX = static_cast<float>(i % 1800);
    Recordings::Encode(f, raw);
    full.append(reinterpret_cast<char*>(raw), RecordSize);
  }
  dir.Write("recordings_2.txt", full);
  LoadRecordings(g);
  EXPECT_EQ(g.recordings.Frame(RecordCount - 1).RunnerX, (RecordCount - 1) % 1800);
  EXPECT_EQ(g.recordings.Frame(RecordCount + 3).RunnerX, (RecordCount - 1) % 1800);

  // A level without a recording plays zeros, whatever the level before had.
  g.st.Level = 3;
  LoadRecordings(g);
  EXPECT_EQ(g.recordings.Frame(0).RunnerX, 0);
  EXPECT_EQ(g.recordings.Frame(0).Steering, 0);
}

}  // namespace
}  // namespace kirpo
