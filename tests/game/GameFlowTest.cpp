#include "game/GameFlow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Rounding.h"
#include "game/Game.h"
#include "game/GameTestSupport.h"
#include "game/Hud.h"
#include "levels/LevelBuild.h"
#include "platform/FileUtil.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct GameFlowTest : ::testing::Test {
  test::TempDir dir;
  test::ScopedManualClock clock{100000};
  Game g{dir.Path()};

  void SetUp() override {
    clock->Drive(&g.st.Time);
    test::PrepareGame(g, dir);
    // Further levels for the flow: the same field as the first.
    const std::string level0 = dir.Read("generatedfigures_0.txt");
    for (int n : {5, 6, 7}) dir.Write("generatedfigures_" + std::to_string(n) + ".txt", level0);
  }

  // The keys of kirpo.ini in file order, with their values.
  std::vector<std::pair<std::string, std::string>> Ini() {
    std::vector<std::pair<std::string, std::string>> out;
    std::string text;
    if (!ReadFileText(dir.File("kirpo.ini"), text)) return out;
    for (const std::string& line : SplitLines(text)) {
      const size_t eq = line.find('=');
      out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
  }

  // 16 ms of the periodic callbacks, then the display as the frame shows it.
  void Tick16() {
    clock->Advance(16);
    g.timers.IdleHandler();
    SyncHud(g);
  }

  // Calls the walk-in every 16 ms, as the periodic callbacks do, until the runner is out.
  void WalkIn(std::vector<std::pair<float, float>>* path = nullptr, int64_t limit_ms = 20000) {
    for (int64_t t = 0; t < limit_ms && g.st.FreeRunnerPhase != -1; t += 16) {
      Tick16();
      if (path) {
        Widget* w = g.mf.IndicatorImages[static_cast<size_t>(std::max(0, std::min(4, g.st.Runner)))];
        path->emplace_back(w->x, w->y);
      }
    }
  }
};

TEST_F(GameFlowTest, NewGameFromTheStartFormStoresTheGameInOrder) {
  g.st.Demomode = false;
  g.st.StartLevel = 5;
  g.st.Score = 777;
  g.st.Runner = 1;
  NewGame(g, 1);
  EXPECT_EQ(g.st.Level, 5);
  EXPECT_EQ(g.st.Score, 0);
  EXPECT_EQ(g.st.Runner, 4);
  EXPECT_EQ(g.st.TimeBonus, 10000);
  EXPECT_EQ(g.st.FreeRunnerPhase, 1);
  for (Widget* koch : g.mf.ReserveKoch) EXPECT_TRUE(koch->visible);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"ShowNavButtons", "1"}, {"Level", "5"}, {"StartLevel", "5"},
      {"Runner", "4"},         {"Score", "0"}, {"StartMode", "1"}};
  EXPECT_EQ(Ini(), want);
  ASSERT_NE(g.RunnerSprite(), nullptr);
  EXPECT_FALSE(g.RunnerSprite()->Visible);
}

TEST_F(GameFlowTest, NextLevelKeepsScoreAndRunnersAndResetsTheLevelClock) {
  g.st.Demomode = false;
  g.st.StartLevel = 5;
  NewGame(g, 1);
  g.st.Score = 4321;
  g.st.Runner = 2;
  g.st.PilzCount = 3;
  g.st.TimeBonus = 420;
  FreeSpriteEngine(g, true, false, false);
  NewGame(g, 4);
  EXPECT_EQ(g.st.Level, 6);
  EXPECT_EQ(g.st.StartLevel, 5);
  EXPECT_EQ(g.st.Score, 4321);
  EXPECT_EQ(g.st.Runner, 2);
  EXPECT_EQ(g.st.PilzCount, 0);
  EXPECT_EQ(g.st.TimeBonus, 10000);
  EXPECT_TRUE(g.mf.ReserveKoch[1]->visible);
  EXPECT_FALSE(g.mf.ReserveKoch[2]->visible);
  EXPECT_FALSE(g.mf.ReserveKoch[4]->visible);
  EXPECT_EQ(g.settings.ReadIni("Level"), "6");
  EXPECT_EQ(g.settings.ReadIni("Score"), "4321");
  EXPECT_EQ(g.settings.ReadIni("StartMode"), "4");
}

TEST_F(GameFlowTest, AttractModeStartsWithoutTouchingTheSavedGame) {
  dir.Write("kirpo.ini", "Level=0\r\n");
  g.st.Demomode = true;
  g.st.Score = 50;
  NewGame(g, 0);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_EQ(g.st.Score, 0);
  EXPECT_EQ(dir.Read("kirpo.ini"), "Level=0\r\n");
}

TEST_F(GameFlowTest, StartUpResumesOnlyAGameThatWasNotClosedInOrder) {
  struct Case {
    const char* ini;
    bool resumed;
  };
  const Case cases[] = {
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=4560\r\nStartMode=4\r\n", true},
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=4560\r\nStartMode=2\r\n", true},
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=4560\r\nStartMode=1\r\n", false},
      {"Level=0\r\nStartLevel=3\r\nRunner=2\r\nScore=4560\r\nStartMode=4\r\n", false},
      {"StartMode=4\r\n", false},
      // Damaged files: a level that does not exist, or no reserve to walk in.
      {"Level=99\r\nStartLevel=3\r\nRunner=2\r\nScore=4560\r\nStartMode=4\r\n", false},
      {"Level=7\r\nStartLevel=3\r\nRunner=-1\r\nScore=4560\r\nStartMode=4\r\n", false},
      // A score no play reaches; a won level used to wrap it into a negative one.
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=2147483000\r\nStartMode=4\r\n", false},
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=10000000\r\nStartMode=4\r\n", false},
      {"Level=7\r\nStartLevel=3\r\nRunner=2\r\nScore=-5\r\nStartMode=4\r\n", false},
  };
  for (const Case& c : cases) {
    Game fresh{dir.Path()};
    test::PrepareGame(fresh, dir);
    dir.Write("kirpo.ini", c.ini);
    fresh.st.Demomode = true;
    PrepareFirstRun(fresh);
    SCOPED_TRACE(c.ini);
    EXPECT_EQ(fresh.st.Demomode, !c.resumed);
    EXPECT_EQ(fresh.st.GameRunning, c.resumed);
    EXPECT_EQ(fresh.st.Level, c.resumed ? 7 : 0);
    // Exactly one walk-in is pending, whichever start ran last.
    EXPECT_EQ(fresh.timers.Count(), 1u);
    if (c.resumed) {
      EXPECT_EQ(fresh.st.StartLevel, 3);
      EXPECT_EQ(fresh.st.Runner, 2);
      EXPECT_EQ(fresh.st.Score, 4560);
      EXPECT_EQ(fresh.settings.ReadIni("StartMode"), "2");
    }
  }
}

TEST_F(GameFlowTest, GameOverReturnsToTheAttractModeOnceAndIgnoresANestedCall) {
  g.st.Demomode = false;
  g.st.StartLevel = 5;
  NewGame(g, 1);
  g.st.Runner = -1;
  g.st.Score = 900;

  g.st.GameOverBusy = 1;  // as while GameOver is on its way
  GameOver(g);
  EXPECT_FALSE(g.st.Demomode);
  EXPECT_EQ(g.st.Level, 5);

  g.st.GameOverBusy = 0;
  GameOver(g);
  EXPECT_TRUE(g.st.Demomode);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_EQ(g.st.Score, 0);
  EXPECT_TRUE(g.st.ShowHiScores);
  EXPECT_EQ(g.st.HiScoresShownAt, GameTicks());
  EXPECT_EQ(g.st.GameOverBusy, -1);
  // The demo's runner must be able to walk in again after a game lost with the last runner.
  EXPECT_GE(g.st.Runner, 0);
}

TEST_F(GameFlowTest, ReserveRunnerWalksLeftThenDownAndEntersTheField) {
  struct Case {
    int32_t runner;
    float home_x;
  };
  // The fourth image after a loss walks 52 units left first; the fifth starts above the field.
  for (const Case& c : {Case{3, 78}, Case{4, 26}}) {
    SCOPED_TRACE(c.runner);
    g.st.Demomode = false;
    g.st.GameRunning = true;
    g.st.StartLevel = 0;
    NewGame(g, 1);
    g.st.Runner = c.runner;
    g.st.BonusTimer.Enabled = false;
    Widget* image = g.mf.IndicatorImages[static_cast<size_t>(c.runner)];
    ASSERT_EQ(image->x, c.home_x);

    const int64_t start = GameTicks();
    std::vector<std::pair<float, float>> path;
    WalkIn(&path);
    ASSERT_EQ(g.st.FreeRunnerPhase, -1);
    // Left first, one unit at a time, down to x 26; then down to y 105.
    float x = c.home_x, y = 27;
    bool went_down = false;
    for (const auto& [px, py] : path) {
      if (px == c.home_x && py == 27) continue;
      EXPECT_LE(x - px, 1.0f);
      EXPECT_LE(px, x);
      if (py > y) went_down = true;
      if (went_down) {
        EXPECT_EQ(Round(px), 26);
      }
      x = px, y = std::max(y, py);
    }
    EXPECT_TRUE(went_down);
    // The step onto y 105 releases the runner and sends the image home in the same call.
    EXPECT_EQ(Round(y), 104);
    // The walk waits a second before it starts; 16 ms per unit after that, the turn from left
    // to down made within one call.
    const int64_t units = int64_t(c.home_x - 26) + (105 - 27);
    EXPECT_GE(g.st.RunnerReleasedAt - start, 1000 + (units - 1) * 16);
    EXPECT_LE(g.st.RunnerReleasedAt - start, 1000 + (units + 2) * 16);

    TSprite* runner = g.RunnerSprite();
    ASSERT_NE(runner, nullptr);
    EXPECT_TRUE(runner->Visible);
    EXPECT_EQ(runner->X, 52);
    EXPECT_EQ(runner->Y, 210);
    EXPECT_EQ(g.st.RunnerReleasedAt, GameTicks());
    EXPECT_TRUE(g.st.BonusTimer.Enabled);
    EXPECT_FALSE(image->visible);
    EXPECT_EQ(image->x, c.home_x);
    EXPECT_EQ(image->y, 27);
    EXPECT_EQ(image->picture, g.mf.ImageList1[0]);
    EXPECT_EQ(g.timers.Count(), 0u);
    FreeSpriteEngine(g, true, false, false);
  }
}

TEST_F(GameFlowTest, TheLevelClockWaitsForTheWalkIn) {
  g.st.Demomode = false;
  g.st.GameRunning = true;
  NewGame(g, 1);
  clock->Advance(2000);
  g.timers.IdleHandler();
  EXPECT_FALSE(g.st.BonusTimer.Enabled);
  EXPECT_FALSE(g.RunnerSprite()->Visible);
  // Not while the high-score table is up, nor before the frame has begun its work.
  g.st.ShowHiScores = true;
  const float y = g.mf.ReserveKoch[4]->y;
  for (int i = 0; i < 50; ++i) Tick16();
  EXPECT_EQ(g.mf.ReserveKoch[4]->y, y);
}

TEST_F(GameFlowTest, AWalkCutShortByANewStartSendsTheImageHomeAndWalksOnce) {
  g.st.Demomode = false;
  g.st.GameRunning = true;
  g.st.StartLevel = 0;
  NewGame(g, 1);
  g.st.Runner = 3;
  for (int i = 0; i < 100; ++i) Tick16();
  ASSERT_EQ(g.st.FreeRunnerPhase, 2);
  ASSERT_LT(g.mf.ReserveKoch[3]->x, 78);

  FreeSpriteEngine(g, true, false, false);
  g.st.Runner = 3;
  NewGame(g, 2);
  EXPECT_EQ(g.mf.ReserveKoch[3]->x, 78);
  EXPECT_EQ(g.mf.ReserveKoch[3]->y, 27);
  EXPECT_EQ(g.timers.Count(), 1u);
  // A single walk: still one unit per 16 ms.
  for (int i = 0; i < 63; ++i) Tick16();
  const float before = g.mf.ReserveKoch[3]->x;
  for (int i = 0; i < 10; ++i) Tick16();
  EXPECT_EQ(before - g.mf.ReserveKoch[3]->x, 10);
}

TEST_F(GameFlowTest, RetryKeepsTheLevelAndReplacesTheWholeAttempt) {
  g.st.Demomode = false;
  g.st.StartLevel = 5;
  NewGame(g, 1);
  g.st.Runner = 2;
  g.st.Score = 300;
  g.st.Tot = true;
  g.st.TotAt = GameTicks();
  g.st.KillReason = "Killed by enemy";
  g.world.Random.Next();
  RetryLevel(g);
  EXPECT_EQ(g.st.Level, 5);
  EXPECT_EQ(g.st.Runner, 2);
  EXPECT_EQ(g.st.Score, 300);
  EXPECT_FALSE(g.st.Tot);
  EXPECT_EQ(g.st.TotAt, 0);
  EXPECT_EQ(g.st.KillReason, "");
  EXPECT_EQ(g.world.Random.RandSeed, 96u);
  EXPECT_EQ(g.settings.ReadIni("StartMode"), "2");
}

TEST_F(GameFlowTest, NavButtonsFollowTheStoredChoice) {
  struct Case {
    const char* stored;
    bool shown;
  };
  for (const Case& c : {Case{"0", false}, Case{"1", true}, Case{"7", true}, Case{"", true}}) {
    dir.Write("kirpo.ini", std::string("ShowNavButtons=") + c.stored + "\r\n");
    g.st.Demomode = false;
    NewGame(g, 1);
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(g.st.ShowNavButtons, c.shown);
    for (Widget* w : {g.mf.b_rechts, g.mf.b_links, g.mf.b_hoch, g.mf.b_runter, g.mf.b_jump})
      EXPECT_EQ(w->visible, c.shown);
    EXPECT_EQ(g.settings.ReadIni("ShowNavButtons"), c.shown ? "1" : "0");
    FreeSpriteEngine(g, true, false, false);
  }
}

}  // namespace
}  // namespace kirpo
