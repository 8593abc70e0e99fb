#include "game/Movement.h"

#include <gtest/gtest.h>

#include "game/RulesFixture.h"
#include "game/MainFormLayout.h"

namespace kirpo {
namespace {

using test::CellX;
using test::CellY;

struct MovementTest : test::RulesTest {
  const std::vector<std::string> open_room = {
      "#######",  //
      "#.....#",  //
      "#.....#",  //
      "#..R..#",  //
      "#.....#",  //
      "#.....#",  //
      "#######",
  };
};

// What a figure looks at when two different figures lie under its two probe points: a door or
// block at the second probe beats anything but a door or block at the first, and a ball at the
// second beats anything but a ball at the first.
TEST_F(MovementTest, SpriteAheadPrefersBlocksAndDoorsThenBallsThenTheFirstProbe) {
  struct Case {
    int32_t first, second;  // 0: nothing there
    bool expect_first;
  };
  const Case cases[] = {
      {TypStein, TypPilz, true},        {TypPilz, TypStein, false},     {TypRBall, TypPilz, true},
      {TypPilz, TypBBall, false},       {TypPilz, TypPilz, true},       {TypStein, TypDoor, true},
      {TypRBall, TypDoor, false},       {TypBBall, TypRBall, true},     {TypPilz, TypKMonster, true},
      {TypKMonster, TypGMonster, true}, {TypDied, TypPilz, false},      {TypPilz, TypDied, true},
      // A ball at the second probe wins over anything but a ball at the first, a door included.
      {TypDoor, TypRBall, false},       {TypStein, TypBBall, false},
  };
  auto figure = [](int32_t typ) {
    switch (typ) {
      case TypStein: return 41;
      case TypDoor: return 1;
      case TypBBall: return 10;
      case TypRBall: return 17;
      case TypPilz: return 19;
      default: return 11;
    }
  };
  for (int32_t d : {RiNord, RiOst, RiSued, RiWest}) {
    for (const Case& c : cases) {
      SCOPED_TRACE("direction " + std::to_string(d) + ": " + TypeNames[c.first] + " / " + TypeNames[c.second]);
      Build({"R"});
      TSprite& r = Runner();
      r.X = 520;
      r.Y = 522;
      const int x = 520, y = 522;
      int p1x, p1y, p2x, p2y;
      switch (d) {
        case RiNord: p1x = x, p1y = y - 1, p2x = x + 51, p2y = y - 1; break;
        case RiOst: p1x = x + 52, p1y = y, p2x = x + 52, p2y = y + 51; break;
        case RiSued: p1x = x, p1y = y + 52, p2x = x + 51, p2y = y + 52; break;
        default: p1x = x - 1, p1y = y, p2x = x - 1, p2y = y + 51; break;
      }
      // The second is stamped first, so the first one's outline cannot take its point.
      auto place = [&](int32_t typ, int px, int py) -> TSprite* {
        if (typ == TypDied) return nullptr;
        TSprite* s = CreateSprite(g(), typ, px, py - FieldOriginY, -1, 1, 1, 0, figure(typ), true, 20);
        MapSprite(g(), *s, true);
        return s;
      };
      TSprite* second = place(c.second, p2x, p2y);
      TSprite* first = place(c.first, p1x, p1y);
      EXPECT_EQ(SpriteAhead(g(), r, d, 1), c.expect_first ? first : second);
    }
  }
}

TEST_F(MovementTest, OnACellTheRunnerTakesOneDirectionDownUpRightLeft) {
  struct Case {
    std::vector<int> keys;
    bool nav_up;
    bool clock_running;
    int32_t direction;
    float dx, dy;
  };
  const Case cases[] = {
      {{VK_DOWN, VK_RIGHT}, false, true, RiSued, 0, 1}, {{VK_UP, VK_DOWN}, false, true, RiSued, 0, 1},
      {{VK_UP, VK_RIGHT}, false, true, RiNord, 0, -1},  {{VK_LEFT, VK_RIGHT}, false, true, RiOst, 1, 0},
      {{VK_LEFT}, false, true, RiWest, -1, 0},          {{VK_RIGHT}, true, true, RiNord, 0, -1},
      {{}, false, true, RiNull, 0, 0},                  {{VK_DOWN}, false, false, RiNull, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case with direction " << c.direction << " clock " << c.clock_running);
    Build(open_room);
    st().NavUp = c.nav_up;
    st().BonusTimer.Enable(c.clock_running, clock.Now());
    Hold(c.keys);
    TSprite& r = Runner();
    r.TypDirection = RiNull;  // standing
    const float x = r.X, y = r.Y;
    MoveRunner(g(), r);
    EXPECT_EQ(r.TypDirection, c.direction);
    EXPECT_EQ(r.X, x + c.dx);
    EXPECT_EQ(r.Y, y + c.dy);
    EXPECT_EQ(st().RunnerX, r.X);
    EXPECT_EQ(st().RunnerY, r.Y);
  }
}

TEST_F(MovementTest, ReleasingInMidCellStillReachesTheNextCellAndStops) {
  Build(open_room);
  TSprite& r = Runner();
  const float x = r.X;
  Hold({VK_RIGHT});
  for (int i = 0; i < 10; ++i) MoveRunner(g(), r);
  Hold({});
  for (int i = 0; i < 100; ++i) MoveRunner(g(), r);
  EXPECT_EQ(r.X, x + 52);
  EXPECT_EQ(r.TypDirection, RiNull);
  EXPECT_TRUE(OnGrid(r));
}

// A direction pressed while the runner walks between cells counts once at the next cell, even when
// it was let go long before: quick taps are never lost. A key held from before counts as ever.
TEST_F(MovementTest, APressWhileWalkingCountsOnceAtTheNextCell) {
  struct Case {
    const char* what;
    std::vector<std::vector<int>> frames;  // the keys of each update pass
    std::vector<int> then;                 // the keys held after them
    float cells_x, cells_y;
  };
  const std::vector<int> R = {VK_RIGHT}, U = {VK_UP}, none = {};
  const Case cases[] = {
      {"let go in mid-cell: stops on the next", {R, R, R}, none, 1, 0},
      {"a tap up in mid-cell turns up there", {R, R, R, none, none, U}, none, 1, -1},
      {"a second tap right walks one more cell", {R, none, none, R}, none, 2, 0},
      {"taps between two cells count once", {R, none, U, none, U, none, U}, none, 1, -1},
      {"up pressed and held while walking right turns up to the wall", {R, R}, {VK_RIGHT, VK_UP}, 1, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Build(open_room);
    TSprite& r = Runner();
    const float x = r.X, y = r.Y;
    for (size_t i = 0; i < 300; ++i) {
      st().LastUpdateAt += 16;
      Hold(i < c.frames.size() ? c.frames[i] : c.then);
      MoveRunner(g(), r);
    }
    EXPECT_EQ(r.X, x + 52 * c.cells_x);
    EXPECT_EQ(r.Y, y + 52 * c.cells_y);
    EXPECT_EQ(r.TypDirection, RiNull);
  }
}

TEST_F(MovementTest, APushedBallMovesWithTheRunnerAndFallsOnceOffItsSupport) {
  Build({
      "########",  //
      "#......#",  //
      "#Rb....#",  //
      "###....#",  //
      "#......#",  //
      "########",
  });
  TSprite& r = Runner();
  TSprite& ball = Nth(TypBBall);
  Hold({VK_RIGHT});
  for (int step = 1; step <= 52; ++step) {
    MoveRunner(g(), r);
    ASSERT_EQ(r.X, CellX(1) + step);
    ASSERT_EQ(ball.X, r.X + 52) << "step " << step;
    // The support ends at x 155: from x 156 on nothing holds the ball.
    ASSERT_EQ(ball.TypDirection, step >= 52 ? RiSued : RiNull) << "step " << step;
  }
  Move(ball, 120);
  EXPECT_EQ(ball.Y, CellY(4));
  EXPECT_EQ(ball.TypDirection, RiNull);
}

TEST_F(MovementTest, PushingABallUpOrDownMovesNeitherBallNorRunner) {
  struct Case {
    std::vector<std::string> rows;
    int key;
  };
  const Case cases[] = {
      {{"#####", "#...#", "#.r.#", "#.R.#", "#####"}, VK_UP},
      {{"#####", "#.R.#", "#.r.#", "#####"}, VK_DOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Build(c.rows);
    TSprite& r = Runner();
    TSprite& ball = Nth(TypRBall);
    const float rx = r.X, ry = r.Y, bx = ball.X, by = ball.Y;
    Hold({c.key});
    MoveRunner(g(), r);
    EXPECT_EQ(r.X, rx);
    EXPECT_EQ(r.Y, ry);
    EXPECT_EQ(ball.X, bx);
    EXPECT_EQ(ball.Y, by);
    EXPECT_EQ(ball.Typ, TypRBall);
  }
}

// A red ball held on its far side is destroyed only by a push that begins less than 750 ms after
// the steering was let go; a continuous push or a blue ball never breaks it.
TEST_F(MovementTest, ABlockedRedBallBreaksOnlyOnAPushSoonAfterRelease) {
  struct Case {
    char ball;
    bool release;
    int64_t pause_ms;
    bool destroyed;
  };
  const Case cases[] = {
      {'r', true, 0, true},   {'r', true, 749, true},  {'r', true, 750, false},
      {'r', false, 0, false}, {'b', true, 100, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ball << " release " << c.release << " after " << c.pause_ms);
    Build({"######", std::string("#R") + c.ball + "#.#", "######"});
    TSprite& r = Runner();
    TSprite& ball = Nth(c.ball == 'r' ? TypRBall : TypBBall);
    Hold({VK_RIGHT});
    MoveRunner(g(), r);  // held: the first push of a continuous one
    ASSERT_NE(ball.Typ, TypDied);
    if (c.release) {
      Hold({});
      MoveRunner(g(), r);
    }
    clock.Advance(c.pause_ms);
    Hold({VK_RIGHT});
    MoveRunner(g(), r);
    EXPECT_EQ(ball.Typ == TypDied, c.destroyed);
    EXPECT_EQ(r.X, CellX(1));  // the push itself never moves the runner
    if (c.destroyed) {
      EXPECT_EQ(g().world.SpriteAt(CellX(2), CellY(1)), nullptr);  // gone from the map too
      EXPECT_EQ(st().BallKilledAt, clock.Now());
    }
  }
}

TEST_F(MovementTest, AfterBreakingABallTheRunnerCannotGoOnThatWayFor750Ms) {
  struct Case {
    int64_t after_ms;
    int key;
    bool moves;
  };
  const Case cases[] = {
      {749, VK_RIGHT, false},
      {750, VK_RIGHT, true},
      {100, VK_DOWN, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " after " << c.after_ms);
    Build({"######", "#Rr#.#", "#....#", "######"});
    TSprite& r = Runner();
    Hold({});
    MoveRunner(g(), r);
    Hold({VK_RIGHT});
    MoveRunner(g(), r);
    ASSERT_EQ(Nth(TypRBall).Typ, TypDied);
    clock.Advance(c.after_ms);
    Hold({c.key});
    const float x = r.X, y = r.Y;
    MoveRunner(g(), r);
    EXPECT_EQ(r.X != x || r.Y != y, c.moves);
  }
}

TEST_F(MovementTest, AMushroomInTheWayIsTakenInTheSameStepAndTheCountStopsAtEight) {
  struct Case {
    int32_t carried, expected;
  };
  for (const Case& c : {Case{0, 1}, Case{7, 8}, Case{8, 8}}) {
    SCOPED_TRACE(c.carried);
    Build({"#####", "#Rp.#", "#####"});
    BuildMainForm(g());
    for (Widget* w : g().mf.Pilz) w->visible = false;
    for (int i = 0; i < c.carried; ++i) g().mf.Pilz[static_cast<size_t>(i)]->visible = true;
    st().PilzCount = c.carried;
    TSprite& pilz = Nth(TypPilz);
    Hold({VK_RIGHT});
    MoveRunner(g(), Runner());
    EXPECT_EQ(Runner().X, CellX(1) + 1);
    EXPECT_EQ(pilz.Typ, TypDied);
    EXPECT_EQ(g().world.SpriteAt(pilz.X, pilz.Y), nullptr);
    EXPECT_EQ(st().PilzCount, c.expected);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(g().mf.Pilz[static_cast<size_t>(i)]->visible, i < c.expected) << i;
  }
}

TEST_F(MovementTest, AnAwakeMonsterAheadKillsASleepingOneIsWalkedThrough) {
  for (bool asleep : {false, true}) {
    SCOPED_TRACE(asleep);
    Build({"#####", "#Rk.#", "#####"});
    TSprite& monster = Nth(TypKMonster);
    if (asleep) monster.SleepingStart = clock.Now() - 100;
    Hold({VK_RIGHT});
    MoveRunner(g(), Runner());
    EXPECT_EQ(st().Tot, !asleep);
    EXPECT_EQ(st().KillReason, asleep ? "" : "Killed by enemy");
    EXPECT_EQ(Runner().X, CellX(1) + (asleep ? 1 : 0));
  }
}

TEST_F(MovementTest, ANoTimeLeftKillsAtTheNextStepButNotInTheDemo) {
  for (bool demo : {false, true}) {
    SCOPED_TRACE(demo);
    Build(open_room);
    st().Demomode = demo;
    st().TimeBonus = 0;
    MoveRunner(g(), Runner());
    EXPECT_EQ(st().Tot, !demo);
    EXPECT_EQ(st().KillReason, demo ? "" : "Out of time");
  }
}

// A field without walls: the runner stops on the last whole cell instead of walking off.
TEST_F(MovementTest, AtAnOpenEdgeTheRunnerStopsOnTheLastWholeCell) {
  struct Case {
    int key, col, row;
    float end_x, end_y;
  };
  const Case cases[] = {
      {VK_RIGHT, 34, 5, 1820, CellY(5)},
      {VK_LEFT, 1, 5, 0, CellY(5)},
      {VK_UP, 5, 1, CellX(5), 2},
      {VK_DOWN, 5, 21, CellX(5), 1146},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Build({"."});
    PlaceRunner(c.col, c.row);
    Hold({c.key});
    for (int i = 0; i < 300; ++i) MoveRunner(g(), Runner());
    Hold({});
    for (int i = 0; i < 60; ++i) MoveRunner(g(), Runner());
    const TSprite& r = Runner();
    EXPECT_EQ(r.X, c.end_x);
    EXPECT_EQ(r.Y, c.end_y);
    EXPECT_GE(r.X, 0);
    EXPECT_GE(r.Y, 0);
    EXPECT_LE(r.X + r.PatternWidth, DesignWidth);
    EXPECT_LE(r.Y + r.PatternHeight, DesignHeight);
  }
}

}  // namespace
}  // namespace kirpo
