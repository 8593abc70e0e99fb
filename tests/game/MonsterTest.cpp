#include "game/Monsters.h"

#include <gtest/gtest.h>

#include "game/Collisions.h"
#include "game/RulesFixture.h"

namespace kirpo {
namespace {

using test::CellX;
using test::CellY;
using test::Coin;
using test::FloatAtLeast;
using test::FloatBelow;
using test::IntIs;
using test::SeedGiving;

struct MonsterTest : test::RulesTest {
  void Seed(uint32_t seed) { g().world.Random.RandSeed = seed; }
  std::function<bool(RandomGenerator&)> AnyInt(int32_t range) {
    return [range](RandomGenerator& r) { return r.RandomInt(range) >= 0; };
  }
};

TEST_F(MonsterTest, AKMonsterWalksOverAMushroomAndTurnsAtAnythingElse) {
  struct Case {
    char ahead;
    bool steps;
  };
  const Case cases[] = {{'p', true}, {'.', true}, {'r', false}, {'b', false}, {'#', false}, {'D', false}, {'g', false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ahead);
    Build({"######", std::string("#k") + c.ahead + "..#", "######"});
    TSprite& k = Nth(TypKMonster);
    Seed(SeedGiving({FloatAtLeast(0.001), FloatAtLeast(0.001)}));  // no pause, no random turn
    Move(k);
    EXPECT_EQ(k.X, CellX(1) + (c.steps ? 1 : 0));
    EXPECT_EQ(k.TypDirection, c.steps ? RiOst : RiWest);
  }
}

// The pause draw is made on every step walking right, but walking left only on steps that began
// unpaused; a pause ends once it has lasted longer than 1000 + RandomInt(5000) ms.
TEST_F(MonsterTest, PausesEndAfterADrawnThresholdAndOnlyARightWalkerRestartsOne) {
  struct Case {
    char monster;
    int64_t paused_for;
    bool restart_draw;  // the pause draw, if made, comes up below 0.001
    int64_t expected_pause;  // -1: restarted now, 0: ended, else unchanged
    bool steps;
  };
  const Case cases[] = {
      {'k', 500, true, -1, false},  {'K', 500, true, 500, false},  {'k', 1000, false, 1000, false},
      {'K', 1000, false, 1000, false}, {'k', 6000, false, 0, true}, {'K', 6000, true, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.monster << " paused for " << c.paused_for);
    Build({"#######", std::string("#..") + c.monster + "..#", "#######"});
    TSprite& k = Nth(TypKMonster);
    const float x = k.X;
    k.pauseStart = clock.Now() - c.paused_for;
    Seed(SeedGiving({AnyInt(5000), c.restart_draw ? FloatBelow(0.001) : FloatAtLeast(0.001), FloatAtLeast(0.001)}));
    Move(k);
    if (c.expected_pause == -1)
      EXPECT_EQ(k.pauseStart, clock.Now());
    else if (c.expected_pause == 0)
      EXPECT_EQ(k.pauseStart, 0);
    else
      EXPECT_EQ(k.pauseStart, clock.Now() - c.expected_pause);
    EXPECT_EQ(k.X != x, c.steps);
  }
}

// A monster hit at 0 ms: no snoring for the first second, one pattern a second from then, faster
// from 10 s until the interval first drops to 100 or below, awake after 15 s.
TEST_F(MonsterTest, ASleepingMonsterSnoresFasterAndWakesAfterFifteenSeconds) {
  struct Check {
    int64_t at;
    bool loop;
    int32_t speed;
    bool asleep;
  };
  const Check checks[] = {
      {0, false, 500, true},       {1000, false, 500, true},    {1001, true, 1000, true},
      {10000, true, 1000, true},   {10001, true, 333, true},    {12000, true, 200, true},
      {13600, true, 93, true},     {14500, true, 93, true},     {15000, true, 93, true},
      {15001, false, 93, false},
  };
  Build({"######", "#.K..#", "######"});
  TSprite& k = Nth(TypKMonster);
  TSprite* shot = CreateSprite(g(), TypSchussK, static_cast<int32_t>(k.X) + 10, static_cast<int32_t>(k.Y), 10, 128,
                               8, RiWest, 19, true, 100);
  bool done = false;
  DoCollision(g(), *shot, k, done);
  const int64_t hit = clock.Now();
  const float x = k.X;
  for (const Check& c : checks) {
    SCOPED_TRACE(c.at);
    clock.Set(hit + c.at);
    Move(k);
    EXPECT_EQ(k.AnimLoop, c.loop);
    EXPECT_EQ(k.AnimSpeed, c.speed);
    EXPECT_EQ(k.SleepingStart != 0, c.asleep);
    EXPECT_EQ(k.X, x);
  }
  EXPECT_EQ(k.FigNr, 2);  // hit walking left, it wakes facing left
  EXPECT_FALSE(k.AnimActive);
  Move(k);
  EXPECT_EQ(k.X, x - 1);
}

TEST_F(MonsterTest, AWakingMonsterShowsTheImageOfItsSide) {
  struct Case {
    char monster;
    int32_t waking;
  };
  for (const Case& c : {Case{'k', 11}, Case{'K', 2}, Case{'g', 3}}) {
    SCOPED_TRACE(c.monster);
    Build({"######", std::string("#.") + c.monster + "..#", "######"});
    TSprite& m = Nth(c.monster == 'g' ? TypGMonster : TypKMonster);
    TSprite* shot = CreateSprite(g(), TypSchussK, static_cast<int32_t>(m.X), static_cast<int32_t>(m.Y), 10, 128, 8,
                                 RiOst, 19, true, 100);
    bool done = false;
    DoCollision(g(), *shot, m, done);
    clock.Advance(15001);
    Move(m);
    EXPECT_EQ(m.SleepingStart, 0);
    EXPECT_EQ(m.FigNr, c.waking);
  }
}

// A gmonster heading right on an open cell, with the runner somewhere around it.
TEST_F(MonsterTest, AGMonsterTurnsTowardsTheRunnerOnlyOnACellIntoAFreeSideWithACoin) {
  struct Case {
    const char* name;
    float offset;    // along its way from the cell
    char above;      // what lies in the cell above
    int runner_row;  // the runner's row; the gmonster is on row 3
    bool coin;
    int32_t direction;
  };
  const Case cases[] = {
      {"runner above, heads", 0, '.', 1, true, RiNord},
      {"runner above, tails", 0, '.', 1, false, RiOst},
      {"mid-cell", 10, '.', 1, true, RiOst},
      {"mushroom above", 0, 'p', 1, true, RiOst},
      {"runner below", 0, '.', 5, true, RiSued},
      {"runner level", 0, '.', 3, true, RiOst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({"#######", "#.....#", std::string("#.") + c.above + "...#", "#.g...#", "#.....#", "#.....#",
           "#######"});
    TSprite& gm = Nth(TypGMonster);
    gm.TypDirection = RiOst;
    Relocate(gm, gm.X + c.offset, gm.Y);
    // A mushroom comes to rest on the monster's head.
    if (c.above == 'p') Relocate(Nth(TypPilz), gm.X, gm.Y - 26);
    st().RunnerX = CellX(2);
    st().RunnerY = CellY(c.runner_row);
    const float x = gm.X, y = gm.Y;
    Seed(SeedGiving({Coin(c.coin)}));
    Move(gm);
    EXPECT_EQ(gm.TypDirection, c.direction);
    const float dx = c.direction == RiOst ? 1 : 0;
    const float dy = c.direction == RiNord ? -1 : c.direction == RiSued ? 1 : 0;
    EXPECT_EQ(gm.X, x + dx);
    EXPECT_EQ(gm.Y, y + dy);
  }
}

TEST_F(MonsterTest, ABlockedGMonsterChoosesANewWayWithoutStepping) {
  struct Case {
    const char* name;
    char left;   // what lies to its left
    float runner_x;
    std::vector<std::function<bool(RandomGenerator&)>> draws;
    int32_t direction;
  };
  const Case cases[] = {
      {"random stop", '.', CellX(1), {Coin(true), IntIs(5, 0)}, RiNull},
      {"random down", '.', CellX(1), {Coin(true), IntIs(5, 3)}, RiSued},
      {"chase left", '.', CellX(1), {Coin(false), Coin(true)}, RiWest},
      {"left taken", 'p', CellX(1), {Coin(false), Coin(true), Coin(true), Coin(true)}, RiNull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({"#######", "#.....#", std::string("#") + c.left + "g#..#", "#.....#", "#######"});
    TSprite& gm = Nth(TypGMonster);
    gm.TypDirection = RiOst;
    if (c.left == 'p') Relocate(Nth(TypPilz), gm.X - 26, gm.Y);  // right against its side
    st().RunnerX = c.runner_x;
    st().RunnerY = gm.Y;
    const float x = gm.X, y = gm.Y;
    Seed(SeedGiving(c.draws));
    Move(gm);
    EXPECT_EQ(gm.TypDirection, c.direction);
    EXPECT_EQ(gm.X, x);
    EXPECT_EQ(gm.Y, y);
  }
}

TEST_F(MonsterTest, AGMonsterInTheTopRowDoesNotGoUp) {
  struct Case {
    float y;
    bool steps;
  };
  for (const Case& c : {Case{2, false}, Case{52, false}, Case{53, true}}) {
    SCOPED_TRACE(c.y);
    Build({"."});
    TSprite* gm = CreateSprite(g(), TypGMonster, 520, 0, -1, 1, 1, RiNord, 13, true, 20);
    gm->Y = c.y;
    gm->TypSpeed = 2;
    Move(*gm);
    EXPECT_EQ(gm->Y, c.y - (c.steps ? 1 : 0));
  }
}

TEST_F(MonsterTest, GMonstersShareOneAnimationPhase) {
  Build({"#######", "#.g.g.#", "#######"});
  TSprite& a = Nth(TypGMonster, 0);
  TSprite& b = Nth(TypGMonster, 1);
  st().RunnerX = a.X;
  st().RunnerY = a.Y;
  // a walks into phase 2 (x mod 160 from 40 on): it shows 3 and the shared phase becomes 2.
  Relocate(a, 39, a.Y);
  a.TypDirection = RiOst;
  Relocate(b, 200, b.Y);  // 201 mod 160 = 41 after its step: phase 2 as well, but it keeps its image
  b.TypDirection = RiOst;
  st().GMonsterPhase = 1;
  Move(a);
  EXPECT_EQ(a.FigNr, 3);
  EXPECT_EQ(st().GMonsterPhase, 2);
  Move(b);
  EXPECT_EQ(b.FigNr, 13);
}

TEST_F(MonsterTest, InTheDemoEveryKMonsterStandsWhereTheRecordingsOneIs) {
  Build({"#######", "#k..K.#", "#######"});
  st().Demomode = true;
  st().DemoFrame = 7;
  RecordFrame& f = g().recordings.Frames[7];
  f.KMonsterX = 300;
  f.KMonsterY = 400;
  f.KMonsterFig = 12;
  for (int i = 0; i < 2; ++i) {
    TSprite& k = Nth(TypKMonster, i);
    Move(k);
    EXPECT_EQ(k.X, 300);
    EXPECT_EQ(k.Y, 400);
    EXPECT_EQ(k.FigNr, 12);
  }
}

}  // namespace
}  // namespace kirpo
