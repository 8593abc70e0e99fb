#include "game/TimedEffects.h"

#include <gtest/gtest.h>

#include "game/Collisions.h"
#include "game/Hud.h"
#include "game/Input.h"
#include "game/RulesFixture.h"
#include "game/MainFormLayout.h"

namespace kirpo {
namespace {

// The program's side of the kill question: it only counts how often it was asked.
struct AskingShell : ShellHooks {
  int asked = 0;
  void AskExitWholeGame() override { ++asked; }
};

struct TimedEffectsTest : test::RulesTest {};

TEST_F(TimedEffectsTest, TheLevelClockCountsDownOnlyWhileTheRunnerPlays) {
  struct Case {
    bool tot;
    int32_t phase;
    int32_t bonus;
    bool paused;
    int32_t after;
  };
  const Case cases[] = {
      {false, -1, 10000, false, 9990}, {true, -1, 10000, false, 10000}, {false, 3, 10000, false, 10000},
      {false, -1, 10000, true, 10000}, {false, -1, 10, false, 0},       {false, -1, 0, false, 0},
  };
  for (const Case& c : cases) {
    GameState st;
    st.Tot = c.tot;
    st.FreeRunnerPhase = c.phase;
    st.TimeBonus = c.bonus;
    st.Paused = c.paused;
    g().st = st;
    BonusTimerTimer(g());
    EXPECT_EQ(g().st.TimeBonus, c.after) << c.tot << " " << c.phase << " " << c.bonus << " " << c.paused;
  }
  g().st = GameState{};
  g().st.FreeRunnerPhase = -1;
  g().st.TimeBonus = 10000;
  for (int i = 0; i < 999; ++i) BonusTimerTimer(g());
  EXPECT_EQ(g().st.TimeBonus, 10);
  BonusTimerTimer(g());
  BonusTimerTimer(g());
  EXPECT_EQ(g().st.TimeBonus, 0);
}

// After a kill the cook turns once in a second, rises 2 units every 10 ms until it has left the
// window, and the five-second wait ends on its own. The display shows what the state says.
TEST_F(TimedEffectsTest, TheLostRunnerSequenceSpinsRisesAndEnds) {
  Build({"#####", "#.R.#", "#####"});
  BuildMainForm(g());
  KillRunner(g(), Runner(), nullptr, 0, "Out of time");
  const int64_t killed = clock.Now();
  const float y0 = st().KochErlegtY;  // (54 - 26) / 2 = 14
  ASSERT_FLOAT_EQ(y0, 14);
  for (int tick = 1; tick <= 100; ++tick) {
    clock.Advance(10);
    g().timers.IdleHandler();
  }
  EXPECT_NEAR(st().KochErlegtAngle, 360, 0.01);
  EXPECT_EQ(st().KochErlegtY, y0);
  clock.Advance(10);
  g().timers.IdleHandler();
  EXPECT_EQ(st().KochErlegtY, y0 - 2);
  EXPECT_NEAR(st().KochErlegtAngle, 360, 0.01);
  // From 12 it needs 39 more rises to reach -66, above minus its height; the tick after ends it.
  for (int tick = 0; tick < 39; ++tick) {
    clock.Advance(10);
    g().timers.IdleHandler();
  }
  EXPECT_FLOAT_EQ(st().KochErlegtY, -66);
  EXPECT_TRUE(st().KochErlegtShown);
  EXPECT_NE(st().KochErlegtStatus, -1);
  clock.Advance(10);
  g().timers.IdleHandler();
  EXPECT_FALSE(st().KochErlegtShown);
  EXPECT_EQ(st().KochErlegtStatus, -1);
  g().mf.KochErlegt->visible = true;
  SyncHud(g());
  EXPECT_FALSE(g().mf.KochErlegt->visible);
  EXPECT_FLOAT_EQ(g().mf.KochErlegt->y, -66);
  EXPECT_EQ(g().timers.Count(), 1u);  // only the five-second wait is left

  clock.Set(killed + 4999);
  g().timers.IdleHandler();
  EXPECT_EQ(st().EndWaitStatus, 0);
  clock.Set(killed + 5000);
  g().timers.IdleHandler();
  EXPECT_EQ(st().EndWaitStatus, -1);
  EXPECT_EQ(g().timers.Count(), 0u);
}

TEST_F(TimedEffectsTest, TheKillButtonAsksOnlyWhileARunnerIsOnTheField) {
  struct Case {
    bool demo;
    int32_t phase;
    bool asks;
  };
  for (const Case& c : {Case{false, -1, true}, Case{true, -1, false}, Case{false, 2, false}}) {
    SCOPED_TRACE(testing::Message() << "demo " << c.demo << " phase " << c.phase);
    Build({"#####", "#.R.#", "#####"});
    AskingShell shell;
    ShellHooks* const before = g().shell;
    g().shell = &shell;
    BuildMainForm(g());
    BindMainFormInput(g());
    st().Demomode = c.demo;
    st().FreeRunnerPhase = c.phase;
    // A click on the button in a 960 x 600 window.
    const Widget& b = *g().mf.b_cancel;
    g().mf.form.MouseDown(b.x + 10, b.y + 10, 960, 600);
    g().mf.form.MouseUp(b.x + 10, b.y + 10, 960, 600);
    EXPECT_EQ(shell.asked, c.asks ? 1 : 0);
    g().shell = before;
  }
}

TEST_F(TimedEffectsTest, TheAnswerToTheKillQuestionAbortsTheGameOrCostsOneRunner) {
  struct Case {
    const char* name;
    bool yes, no, demo, clock_running, already_lost;
    bool tot;
    std::string reason;
    int32_t runners_after;
  };
  const Case cases[] = {
      {"yes", true, false, false, true, false, true, "Game aborted", -1},
      {"no", false, true, false, true, false, true, "Killed by user", 1},
      {"no while the clock stands", false, true, false, false, false, false, "", 2},
      {"yes in the demo", true, false, true, true, false, false, "", 2},
      {"dialog closed", false, false, false, true, false, false, "", 2},
      {"yes after a loss", true, false, false, false, true, true, "Killed by enemy", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({"#####", "#.R.#", "#####"});
    st().Runner = 2;
    st().Demomode = c.demo;
    st().BonusTimer.Enable(c.clock_running, clock.Now());
    int64_t tot_at = 0;
    if (c.already_lost) {
      KillRunner(g(), Runner(), nullptr, 0, "Killed by enemy");
      st().Runner = 2;
      tot_at = st().TotAt;
      clock.Advance(300);
    }
    const size_t timers = g().timers.Count();
    ExitWholeGameAnswered(g(), c.yes, c.no);
    EXPECT_EQ(st().Tot, c.tot);
    EXPECT_EQ(st().KillReason, c.reason);
    EXPECT_EQ(st().Runner, c.runners_after);
    if (c.already_lost) {
      EXPECT_EQ(st().TotAt, tot_at);  // no second kill
      EXPECT_EQ(g().timers.Count(), timers);
    }
  }
}

}  // namespace
}  // namespace kirpo
