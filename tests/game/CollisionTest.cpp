#include "game/Collisions.h"

#include <gtest/gtest.h>

#include "game/Balls.h"
#include "game/RulesFixture.h"
#include "common/Errors.h"
#include "game/MainFormLayout.h"

namespace kirpo {
namespace {

using test::CellX;
using test::CellY;

struct CollisionTest : test::RulesTest {
  // A figure laid over the runner's cell, entered in the list after everything before it.
  TSprite& Over(int32_t typ, int fig, float dx = 10, float dy = 10) {
    TSprite& r = Runner();
    TSprite* s = CreateSprite(g(), typ, static_cast<int32_t>(r.X + dx), static_cast<int32_t>(r.Y + dy - 2), -1, 1,
                              1, 0, fig, true, 20);
    s->ImageNr = s->FigNr;
    return *s;
  }
};

TEST_F(CollisionTest, TheRunnersScanTakesMushroomsInListOrderUntilAnAwakeMonsterKillsIt) {
  struct Case {
    std::string order;  // p mushroom, k awake kmonster, s sleeping kmonster, g awake gmonster
    bool killed;
    int32_t pilz_taken;
  };
  const Case cases[] = {
      {"pk", true, 1}, {"kp", true, 0}, {"sp", false, 1}, {"pp", false, 2}, {"gp", true, 0}, {"ps", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    Build({"#####", "#.R.#", "#####"});
    std::vector<TSprite*> pilze;
    for (char o : c.order) {
      if (o == 'p') pilze.push_back(&Over(TypPilz, 19));
      if (o == 'k' || o == 's') Over(TypKMonster, 11, 20, 0).SleepingStart = o == 's' ? clock.Now() - 10 : 0;
      if (o == 'g') Over(TypGMonster, 13, -20, 0);
    }
    Collision(g(), Runner());
    EXPECT_EQ(st().Tot, c.killed);
    EXPECT_EQ(st().PilzCount, c.pilz_taken);
    int gone = 0;
    for (TSprite* p : pilze) gone += p->Typ == TypDied;
    EXPECT_EQ(gone, c.pilz_taken);
  }
}

TEST_F(CollisionTest, KillRunnerStopsTheClockCostsARunnerAndStartsTheLostRunnerSequence) {
  struct Case {
    bool by_monster;
    std::string reason;
    int32_t runners_before;
    std::string log;
  };
  const Case cases[] = {
      {true, "Killed by enemy", 2, "runner gekillt von kmonster, zlx=0, zly=0, x=104, y=54, z=8, Killed by enemy"},
      {false, "Out of time", 0, "runner gekillt von BildNr=0, zlx=0, zly=0, x=104, y=54, z=8, Out of time"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    Build({"#####", "#.Rk#", "#####"});
    BuildMainForm(g());
    st().Runner = c.runners_before;
    TSprite& monster = Nth(TypKMonster);
    KillRunner(g(), Runner(), c.by_monster ? &monster : nullptr, c.by_monster ? monster.FigNr : 0, c.reason);
    EXPECT_EQ(LastLogMessage(), c.log);
    EXPECT_TRUE(st().Tot);
    EXPECT_EQ(st().TotAt, clock.Now());
    EXPECT_EQ(st().KillReason, c.reason);
    EXPECT_EQ(st().Runner, c.runners_before - 1);
    EXPECT_FALSE(st().BonusTimer.Enabled);
    EXPECT_TRUE(st().KochErlegtShown);
    EXPECT_FLOAT_EQ(st().KochErlegtX, CellX(2) / 2);         // 960 / 1920
    EXPECT_FLOAT_EQ(st().KochErlegtY, (CellY(1) - 26) / 2);  // 600 / 1200: 26 units above the runner
    EXPECT_EQ(st().KochErlegtStatus, 0);
    EXPECT_EQ(g().timers.Count(), 2u);
  }
}

TEST_F(CollisionTest, AShotOrMushroomPutsAMonsterToSleepAndIsUsedUp) {
  struct Case {
    char monster;  // k walking right, K walking left, g gmonster
    int32_t self_typ;
    int64_t asleep_since;  // 0: awake when hit
    int32_t image;
  };
  const Case cases[] = {
      {'k', TypSchussK, 0, 27}, {'K', TypSchussK, 0, 26}, {'g', TypSchussK, 0, 20},
      {'K', TypPilz, 0, 26},    {'g', TypPilz, 0, 20},
      {'k', TypSchussK, 5000, 27},  // hit again while asleep: the full sleep starts over
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.monster << " by " << c.self_typ);
    Build({"#####", std::string("#R.") + c.monster + "#", "#####"});
    TSprite& m = Nth(c.monster == 'g' ? TypGMonster : TypKMonster);
    if (c.asleep_since) m.SleepingStart = clock.Now() - c.asleep_since;
    TSprite* self = CreateSprite(g(), c.self_typ, static_cast<int32_t>(m.X) - 20, static_cast<int32_t>(m.Y), -1, 1,
                                 1, RiOst, 19, true, 20);
    self->ImageNr = 19;
    const int before = g().world.SpriteCount();
    Collision(g(), *self);
    EXPECT_EQ(self->Typ, TypDied);
    EXPECT_EQ(m.SleepingStart, clock.Now());
    EXPECT_EQ(m.FigNr, c.image);
    EXPECT_TRUE(m.AnimActive);
    EXPECT_FALSE(m.AnimLoop);
    EXPECT_EQ(m.AnimSpeed, 500);
    EXPECT_EQ(m.AnimStop, 3);
    ASSERT_EQ(g().world.SpriteCount(), before + 1);
    const TSprite& puff = g().world.At(before);
    EXPECT_EQ(puff.Typ, TypNebel);
    EXPECT_EQ(puff.X, m.X);
    EXPECT_EQ(puff.Y, m.Y);
  }
}

TEST_F(CollisionTest, AShotTouchingAnythingElseRestsAsAMushroomOrInTheDemoVanishes) {
  for (bool demo : {false, true}) {
    SCOPED_TRACE(demo);
    Build({"#####", "#R.D#", "#####"});
    st().Demomode = demo;
    const TSprite& door = Nth(TypDoor);
    TSprite* shot = CreateSprite(g(), TypSchussK, static_cast<int32_t>(door.X) - 10, static_cast<int32_t>(door.Y),
                                 10, 128, 8, RiOst, 19, true, 100);
    shot->ImageNr = 19;
    shot->TypSpeed = 2;
    shot->Angle = 45;
    shot->AngleTick = 15;
    shot->AnimSpeed = 100;
    const int before = g().world.SpriteCount();
    Collision(g(), *shot);
    if (demo) {
      EXPECT_EQ(shot->Typ, TypDied);
      ASSERT_EQ(g().world.SpriteCount(), before + 1);
      EXPECT_EQ(g().world.At(before).Typ, TypNebel);
    } else {
      EXPECT_EQ(shot->Typ, TypPilz);
      EXPECT_EQ(shot->TypDirection, RiNull);
      EXPECT_EQ(shot->TypSpeed, 4);
      EXPECT_EQ(shot->Angle, 0);
      EXPECT_EQ(shot->AngleTick, 0);
      EXPECT_EQ(shot->AnimSpeed, 0);
      EXPECT_EQ(g().world.SpriteCount(), before);
    }
  }
}

}  // namespace
}  // namespace kirpo
