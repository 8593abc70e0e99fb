#include "game/Balls.h"

#include <gtest/gtest.h>

#include "game/RulesFixture.h"
#include "game/MainFormLayout.h"

namespace kirpo {
namespace {

using test::CellX;
using test::CellY;

struct BallTest : test::RulesTest {
  test::TempDir ini_dir;

  void SetUp() override {
    RulesTest::SetUp();
    g().settings.SetPath(ini_dir.File("kirpo.ini"));
  }

  TSprite* ShotAt(float x, float y, int32_t direction) {
    InitSchuss(g(), Runner(), 128, direction, 19, 8, y, x, 2);
    TSprite& s = g().world.At(g().world.SpriteCount() - 1);
    s.ImageNr = s.FigNr;
    return &s;
  }
};

TEST_F(BallTest, ABallLandingOnAMonsterTurnsItIntoAPayingDeathMovie) {
  struct Case {
    char ball, monster;
    int32_t first_image;
  };
  const Case cases[] = {{'r', 'k', 73}, {'b', 'K', 83}, {'r', 'g', 51}, {'b', 'k', 73}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ball << " on " << c.monster);
    Build({"#####", std::string("#.") + c.ball + ".#", std::string("#.") + c.monster + ".#", "#####"});
    TSprite& ball = Nth(c.ball == 'r' ? TypRBall : TypBBall);
    TSprite& m = Nth(c.monster == 'g' ? TypGMonster : TypKMonster);
    const float mx = m.X, my = m.Y;
    Move(ball);  // resting on it makes no difference: a monster under a ball is crushed
    EXPECT_EQ(ball.TypDirection, RiNull);
    EXPECT_EQ(ball.Y, CellY(1));
    ASSERT_EQ(m.Typ, TypMovie);
    EXPECT_EQ(m.AktuellesBild, c.first_image);
    EXPECT_EQ(m.EndeBild, c.first_image + 8);
    EXPECT_FALSE(m.CanDoCollisions);
    EXPECT_EQ(g().world.SpriteAt(mx, my), &m);  // still an obstacle while it dies

    // Nine pictures 100 ms apart, then a puff and the 1000 points one monster height above it.
    for (int i = 0; i < 10; ++i) {
      clock.Advance(100);
      Move(m);
    }
    EXPECT_EQ(m.Typ, TypDied);
    EXPECT_EQ(st().Score, 1000);
    const TSprite* label = nullptr;
    for (const TSprite& s : g().world.Sprites())
      if (s.Typ == TypT1000) label = &s;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->X, mx);
    EXPECT_EQ(label->Y, my - 52);
  }
}

TEST_F(BallTest, MushroomsUnderBallsAreCrushedByAFallAndByARestingBlueBall) {
  struct Case {
    char ball;
    bool falling;
    bool crushed;
  };
  const Case cases[] = {{'r', true, true}, {'b', true, true}, {'r', false, false}, {'b', false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ball << (c.falling ? " falling" : " resting"));
    Build({"#####", std::string("#.") + c.ball + ".#", "#.p.#", "#####"});
    TSprite& ball = Nth(c.ball == 'r' ? TypRBall : TypBBall);
    TSprite& pilz = Nth(TypPilz);
    Relocate(pilz, ball.X, CellY(3) - 26);  // on the floor
    if (!c.falling) Relocate(ball, ball.X, pilz.Y - 52);
    Move(ball, 60);
    EXPECT_EQ(pilz.Typ == TypDied, c.crushed);
    EXPECT_EQ(ball.Y, c.crushed ? CellY(2) : pilz.Y - 52);
    EXPECT_EQ(ball.TypDirection, RiNull);
  }
}

TEST_F(BallTest, ABallAtTheBottomOfTheFieldNeverFallsFurther) {
  struct Case {
    int32_t typ;
    float y;
  };
  for (const Case& c : {Case{TypRBall, 1148}, Case{TypBBall, 1148}, Case{TypRBall, 1140}}) {
    SCOPED_TRACE(c.y);
    Build({"."});
    TSprite* ball = CreateSprite(g(), c.typ, 520, 0, -1, 1, 1, 0, c.typ == TypRBall ? 17 : 10, true, 20);
    Relocate(*ball, ball->X, c.y);
    Move(*ball, 20);
    EXPECT_EQ(ball->Y, 1148);
  }
}

TEST_F(BallTest, TheLevelIsWonOnlyWithBothBottomCornersOnTheDoor) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;
    float shift;
    bool won;
  };
  const Case cases[] = {
      {"on the door", {"#####", "#.b.#", "#.D.#", "#####"}, 0, true},
      {"one corner off", {"#####", "#.b.#", "#.D.#", "#####"}, 10, false},
      {"one corner on a block", {"#####", "#.b.#", "#.D##", "#####"}, 10, false},
      {"across two doors", {"#####", "#.b.#", "#.DD#", "#####"}, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(c.rows);
    TSprite& ball = Nth(TypBBall);
    Relocate(ball, ball.X + c.shift, ball.Y);
    Move(ball, 3);
    EXPECT_EQ(st().MissionCompleted, c.won);
    EXPECT_EQ(st().BonusTimer.Enabled, !c.won);
    EXPECT_EQ(ball.Y, CellY(1));
    if (c.won) {
      EXPECT_EQ(st().MissionCompletedAt, clock.Now());
      EXPECT_EQ(g().timers.Count(), 1u);
      clock.Advance(5000);
      g().timers.IdleHandler();
      EXPECT_EQ(st().EndWaitStatus, -1);
    }
  }
}

// The record of the highest level finished is kept in "ProceedLevel" and only ever raised.
TEST_F(BallTest, WinningStoresTheLevelOnlyAboveTheRecordAndNeverInTheDemo) {
  struct Case {
    bool demo;
    std::vector<int32_t> levels_won;
    int32_t record;
    std::string stored;
  };
  const Case cases[] = {
      {false, {3}, 1, "3"}, {false, {1}, 1, ""}, {false, {0}, -1, "0"}, {true, {3}, 1, ""}, {false, {9, 8}, 5, "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "record " << c.record << " demo " << c.demo);
    std::remove(ini_dir.File("kirpo.ini").c_str());
    Build({"#####", "#.b.#", "#.D.#", "#####"});
    st().ProceedLevel = c.record;
    st().Demomode = c.demo;
    for (int32_t level : c.levels_won) {
      st().Level = level;
      st().MissionCompleted = false;
      MoveBBall(g(), Nth(TypBBall));
      ASSERT_TRUE(st().MissionCompleted);
    }
    EXPECT_EQ(g().settings.ReadIni("ProceedLevel"), c.stored);
  }
}

TEST_F(BallTest, TheFallSoundStartsAtOnceAndThenAtMostEveryFourSeconds) {
  Build({"###", "#r#", "#.#", "#.#", "#.#", "#.#", "#.#", "###"});
  TSprite& ball = Nth(TypRBall);
  struct Step {
    int64_t advance;
    bool restarted;
  };
  int64_t last = 0;
  for (const Step& s : {Step{0, true}, Step{3999, false}, Step{1, false}, Step{1, true}, Step{100, false}}) {
    clock.Advance(s.advance);
    Move(ball);
    if (s.restarted) last = clock.Now();
    EXPECT_EQ(ball.FallenStart, last) << "after " << s.advance;
  }
}

TEST_F(BallTest, AShotStoppedByAnObstacleBecomesAMushroomWhereItIs) {
  struct Case {
    char ahead;
    float moved;
    int32_t becomes;  // the shot's type afterwards
  };
  const Case cases[] = {
      {'#', 0, TypPilz}, {'D', 0, TypPilz}, {'b', 0, TypPilz}, {'r', 0, TypPilz},
      {'p', 0, TypPilz}, {'.', 4, TypSchussK}, {'k', 1, TypDied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ahead);
    Build({"#######", std::string("#R.") + c.ahead + "..#", "#######"});
    if (c.ahead == 'p') Relocate(Nth(TypPilz), CellX(3), CellY(1));
    TSprite* shot = ShotAt(CellX(3) - 26, CellY(1), RiOst);
    const float x = shot->X;
    Move(*shot);
    EXPECT_EQ(shot->Typ, c.becomes);
    if (c.becomes != TypDied) {
      EXPECT_EQ(shot->X, x + c.moved);
    }
    if (c.becomes == TypPilz) {
      EXPECT_EQ(shot->TypSpeed, 4);
      EXPECT_EQ(shot->AngleTick, 0);
      EXPECT_EQ(g().world.SpriteAt(shot->X, shot->Y), shot);  // a mushroom on the map now
    }
    if (c.ahead == 'k') {
      EXPECT_NE(Nth(TypKMonster).SleepingStart, 0);
    }
  }
}

// A shot covers two units a move. From any start offset it must come to rest just in front of what
// stops it: one unit too far puts it on a block's outline, past which the map shows the block's
// empty inside, and the shot would fly into the block for good.
TEST_F(BallTest, AShotStopsInFrontOfAnObstacleFromAnyStartOffset) {
  for (char obstacle : {'#', 'D', 'b', 'p'}) {
    for (int32_t direction : {RiOst, RiWest}) {
      for (int offset = 0; offset < 8; ++offset) {
        SCOPED_TRACE(testing::Message() << obstacle << " direction " << direction << " offset " << offset);
        const bool east = direction == RiOst;
        Build({"##########", east ? std::string("#.......") + obstacle + "#" : std::string("#") + obstacle + "........#",
               "##########"});
        const int col = east ? 8 : 1;
        if (obstacle == 'p') Relocate(Nth(TypPilz), CellX(col), CellY(1));
        TSprite* shot = ShotAt(CellX(4) + static_cast<float>(east ? offset : -offset), CellY(1), direction);
        for (int i = 0; i < 200 && shot->Typ == TypSchussK; ++i) Move(*shot);
        ASSERT_EQ(shot->Typ, TypPilz);
        const float width = obstacle == 'p' ? 26 : 52;
        EXPECT_EQ(shot->X, east ? CellX(col) - 26 : CellX(col) + width);
      }
    }
  }
}

// Thrown point-blank at a block, the mushroom drops in front of it, never inside.
TEST_F(BallTest, AThrowAtAnAdjacentBlockStaysOutOfTheBlock) {
  struct Case {
    int32_t direction;
    float runner_dx;  // the runner may stand off the grid, walking
    float x, y;       // where the shot is made
  };
  // The runner stands in cell (2, 2) of a box whose every neighbour cell is a block.
  const Case cases[] = {
      {RiWest, 0, 104, 119},  {RiWest, 1, 104, 119}, {RiWest, 7, 104, 119}, {RiOst, 0, 130, 119},
      {RiOst, -3, 130, 119},  {RiNord, 0, 117, 106}, {RiSued, 0, 117, 132},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "direction " << c.direction << " dx " << c.runner_dx);
    Build({"#####", "#####", "##R##", "#####", "#####"});
    Runner().X += c.runner_dx;
    Runner().LastDirection = c.direction;
    st().PilzCount = 1;
    const int before = g().world.SpriteCount();
    Shoot(g());
    ASSERT_EQ(g().world.SpriteCount(), before + 1);
    TSprite& shot = g().world.At(before);
    shot.ImageNr = shot.FigNr;
    EXPECT_EQ(shot.X, c.x);
    EXPECT_EQ(shot.Y, c.y);
    Move(shot);
    EXPECT_EQ(shot.Typ, TypPilz);
  }
}

TEST_F(BallTest, AThrowStartsBesideTheRunnerInItsLastDirection) {
  struct Case {
    int32_t direction;
    float x, y;
  };
  const Case cases[] = {{RiNord, 533, 496}, {RiOst, 572, 535}, {RiSued, 533, 574}, {RiWest, 494, 535}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.direction);
    Build({"."});
    BuildMainForm(g());
    PlaceRunner(10, 10);  // (520, 522)
    Runner().LastDirection = c.direction;
    st().PilzCount = 3;
    for (int i = 0; i < 8; ++i) g().mf.Pilz[static_cast<size_t>(i)]->visible = i < 3;
    const int before = g().world.SpriteCount();
    Shoot(g());
    ASSERT_EQ(g().world.SpriteCount(), before + 1);
    const TSprite& shot = g().world.At(before);
    EXPECT_EQ(shot.Typ, TypSchussK);
    EXPECT_EQ(shot.X, c.x);
    EXPECT_EQ(shot.Y, c.y);
    EXPECT_EQ(shot.TypDirection, c.direction);
    EXPECT_EQ(shot.TypSpeed, 2);
    EXPECT_EQ(shot.Z, 10);
    EXPECT_EQ(shot.AngleTick, 15);
    EXPECT_EQ(st().PilzCount, 2);
    EXPECT_FALSE(g().mf.Pilz[2]->visible);
    EXPECT_TRUE(g().mf.Pilz[1]->visible);
  }
}

// At most one throw a second, and a press with nothing to throw still restarts the second.
TEST_F(BallTest, ThrowsAreSpacedASecondApartAndAnEmptyPocketRestartsTheWait) {
  struct Step {
    int64_t advance;
    int32_t pilz_before;
    int32_t direction;
    bool shot_made;
    int32_t pilz_after;
  };
  const Step steps[] = {
      {0, 2, RiOst, true, 1},       // the first throw is never delayed
      {999, 1, RiOst, false, 1},    // too soon
      {1, 1, RiOst, true, 0},       // a second after the first
      {1000, 0, RiOst, false, 0},   // empty: nothing thrown, the wait restarts
      {999, 1, RiOst, false, 1},
      {1, 1, RiOst, true, 0},
      {1000, 2, RiNull, false, 1},  // never steered: the mushroom is spent without a shot
  };
  Build({"."});
  PlaceRunner(10, 10);
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "+" << s.advance << " with " << s.pilz_before);
    clock.Advance(s.advance);
    st().PilzCount = s.pilz_before;
    Runner().LastDirection = s.direction;
    const int before = g().world.SpriteCount();
    Shoot(g());
    EXPECT_EQ(g().world.SpriteCount() - before, s.shot_made ? 1 : 0);
    EXPECT_EQ(st().PilzCount, s.pilz_after);
  }
}

}  // namespace
}  // namespace kirpo
