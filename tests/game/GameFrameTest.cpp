#include "game/GameFrame.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/Consts.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameTestSupport.h"
#include "levels/LevelBuild.h"
#include "platform/Bitmap.h"
#include "platform/Host.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

// Colours equal but for the rounding of a turned or scaled drawing.
bool Near(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 6) return false;
  return true;
}

struct GameFrameTest : ::testing::Test {
  test::TempDir dir;
  test::ScopedManualClock clock{100000};
  Game g{dir.Path()};
  std::unique_ptr<Host> host;
  GameFrameTest() { clock->Drive(&g.st.Time); }

  void UseCanvas(int w, int h) {
    host = CreateOffscreenHost(w, h);
    ASSERT_TRUE(host);
    g.PaintCanvas = &host->GetCanvas();
    g.ScaleX = w / 1920.0f;
    g.ScaleY = h / 1200.0f;
    g.FitScaleX = g.FitScaleY = std::min(g.ScaleX, g.ScaleY);
    g.PboxOpacity = 1;
  }

  // A game of level 0 outside the attract mode, with the walk-in already over.
  void StartPlaying() {
    test::PrepareGame(g, dir);
    g.st.Demomode = false;
    g.st.StartLevel = 0;
    NewGame(g, 1);
    g.st.GameRunning = true;
    g.timers.RemoveHiTimer(10);
    g.st.FreeRunnerPhase = -1;
  }

  // A sprite of its own kind placed in design units, without the level file.
  TSprite& Add(int32_t typ, float x, float y, int32_t z, int32_t fig) {
    TSprite* s = g.world.NewSprite(typ, GameTicks());
    EXPECT_NE(s, nullptr);
    SetImage(g, *s, fig);
    s->FigNr = fig;
    s->X = x, s->Y = y, s->Z = z;
    return *s;
  }
};

// Blinking bonus numbers step once per call with no interval, so their count shows the moves.
TEST_F(GameFrameTest, SpeedRoundsHalvesToEvenAndCapsAtFourMovesPerUpdate) {
  struct Case {
    float speed;
    int moves;
  };
  const Case cases[] = {{2.5f, 2}, {3.5f, 4}, {0.4f, 0}, {0.5f, 0}, {1.5f, 2}, {4, 4}, {7, 4}};
  std::vector<TSprite*> sprites;
  for (const Case& c : cases) {
    TSprite* s = g.world.NewSprite(TypT500, GameTicks());
    s->TypSpeed = c.speed;
    s->IntervalTime = 0;
    s->IntervalCount = 100;
    sprites.push_back(s);
  }
  UpdatePass(g);
  for (size_t i = 0; i < sprites.size(); ++i)
    EXPECT_EQ(100 - sprites[i]->IntervalCount, cases[i].moves) << "speed " << cases[i].speed;
}

TEST_F(GameFrameTest, LayersMinusOneToEighteenAreDrawnInOrderAndNothingElse) {
  test::CopyAssets(dir);
  g.figures.BuildingImageStore = true;
  g.figures.LoadFigureImages(3);
  UseCanvas(1920, 1200);
  g.st.GameRunning = true;
  g.st.LastUpdateAt = GameTicks();  // no update pass: only the drawing is looked at

  struct Case {
    int32_t typ, z;
    float angle;
    bool drawn;
  };
  const Case cases[] = {
      {TypTruemmer, -1, 0, true},  {TypTruemmer, 0, 0, false}, {TypTruemmer, 18, 0, true},
      {TypTruemmer, 19, 0, false}, {TypStein, 5, 0, false},    {TypStein, 5, 90, true},
      {TypIgn, 5, 0, false},       {TypDied, 5, 0, false},     {TypRunner, 12, 0, true},
  };
  // Figure 10, the blue ball: a disc whose centre is opaque.
  for (size_t i = 0; i < std::size(cases); ++i) Add(cases[i].typ, 100.0f + 104 * i, 300, cases[i].z, 10).Angle =
      cases[i].angle;
  // Layer 1 is drawn over layer -1 even when it comes first in the list.
  Add(TypTruemmer, 100, 600, 1, 17);
  Add(TypTruemmer, 100, 600, -1, 10);

  GameAction(g);
  auto px = host->ReadPixels();
  const Bitmap* ball = g.figures.Figure(10);
  const Bitmap* red = g.figures.Figure(17);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const uint32_t p = px->Pixel(int(126 + 104 * i), 326);
    if (cases[i].drawn)
      EXPECT_PRED2(Near, p, ball->Pixel(26, 26)) << "typ " << cases[i].typ << " z " << cases[i].z;
    else
      EXPECT_EQ(p & 0xFFFFFF, 0u) << "typ " << cases[i].typ << " z " << cases[i].z;
  }
  EXPECT_EQ(px->Pixel(126, 626), red->Pixel(26, 26));

  // A killed runner is not drawn.
  g.st.Tot = true;
  g.st.TotAt = GameTicks() - 1000;
  GameAction(g);
  px = host->ReadPixels();
  EXPECT_EQ(px->Pixel(int(126 + 104 * 8), 326) & 0xFFFFFF, 0u);
}

TEST_F(GameFrameTest, AnimationAndTurningShareOneClockAndRunWithoutDrawing) {
  test::CopyAssets(dir);
  g.figures.BuildingImageStore = true;
  g.figures.LoadFigureImages(3);
  g.figures.LoadMovieList();
  g.SkipDrawing = true;
  g.st.GameRunning = true;
  g.st.LastUpdateAt = GameTicks();
  g.st.UpdateInterval = 1000000;

  TSprite& strip = Add(TypTruemmer, 0, 0, 5, 40);  // five frames
  strip.AnimActive = true;
  strip.AnimSpeed = 100;
  strip.AnimStart = 1;
  strip.AnimStop = 3;
  strip.PatternIndex = 1;
  strip.AnimLoop = true;
  TSprite& turning = Add(TypTruemmer, 0, 0, 5, 40);
  turning.Angle = 1;
  turning.AngleTick = 15;
  turning.AnimSpeed = 100;
  turning.AnimActive = true;
  turning.AnimStop = 4;
  TSprite& hidden = Add(TypTruemmer, 0, 0, 0, 40);
  hidden.AnimActive = true;
  hidden.AnimStop = 4;

  std::vector<int> patterns, turned_patterns;
  std::vector<float> angles;
  for (int i = 0; i < 5; ++i) {
    GameAction(g);
    patterns.push_back(strip.PatternIndex);
    angles.push_back(turning.Angle);
    turned_patterns.push_back(turning.PatternIndex);
    clock->Advance(100);
  }
  EXPECT_EQ(patterns, (std::vector<int>{2, 3, 1, 2, 3}));
  EXPECT_EQ(angles, (std::vector<float>{16, 31, 46, 61, 76}));
  EXPECT_EQ(turned_patterns, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(hidden.PatternIndex, 0);
}

TEST_F(GameFrameTest, CompletedLevelCountsTheBonusThenMovesOnNotBeforeSixSeconds) {
  StartPlaying();
  g.st.Score = 0;
  g.st.PilzCount = 3;
  g.st.TimeBonus = 1230;
  g.st.MissionCompleted = true;
  const int64_t won_at = GameTicks();
  g.st.MissionCompletedAt = won_at;
  for (int i = 0; i < 3; ++i) g.mf.Pilz[static_cast<size_t>(i)]->visible = true;

  test::FrameDriver frames(g, *clock);
  std::vector<int32_t> steps;
  std::vector<int64_t> step_times;
  int32_t score = 0;
  int64_t next_level_at = 0;
  frames.RunUntil(
      [&] {
        if (g.st.Score != score) {
          steps.push_back(g.st.Score - score);
          step_times.push_back(GameTicks());
          score = g.st.Score;
        }
        if (g.st.Level == 1) next_level_at = GameTicks();
        return g.st.Level == 1;
      },
      10000);
  EXPECT_EQ(steps, (std::vector<int32_t>{50, 50, 50, 1000, 100, 100, 10, 10, 10}));
  for (size_t i = 1; i < step_times.size(); ++i) EXPECT_GE(step_times[i] - step_times[i - 1], 500);
  for (Widget* pilz : g.mf.Pilz) EXPECT_FALSE(pilz->visible);
  ASSERT_NE(next_level_at, 0);
  EXPECT_GE(next_level_at - won_at, 6000);
  EXPECT_FALSE(g.st.MissionCompleted);
  EXPECT_EQ(g.st.Score, 1380);
  EXPECT_EQ(g.st.TimeBonus, 10000);
  EXPECT_EQ(g.settings.ReadIni("StartMode"), "4");
}

// A score at the top used to wrap: the HUD showed -2147474596 and the negative score was stored.
TEST_F(GameFrameTest, AWonLevelNeverCarriesTheScoreBeyondItsTop) {
  StartPlaying();
  g.st.Score = MaxScore - 120;
  g.st.PilzCount = 3;
  g.st.TimeBonus = 1230;
  g.st.MissionCompleted = true;
  g.st.MissionCompletedAt = GameTicks();
  test::FrameDriver frames(g, *clock);
  int32_t lowest = g.st.Score;
  frames.RunUntil(
      [&] {
        lowest = std::min(lowest, g.st.Score);
        return g.st.Level == 1;
      },
      10000);
  EXPECT_EQ(lowest, MaxScore - 120);
  EXPECT_EQ(g.st.Score, MaxScore);
  EXPECT_EQ(g.settings.ReadInt("Score", -1), MaxScore);
  EXPECT_EQ(AddToScore(INT32_MAX - 10, 1000), MaxScore);
}

TEST_F(GameFrameTest, NextLevelWaitsForSixSecondsAndTheVisibleHalfOfTheText) {
  StartPlaying();
  g.st.MissionCompleted = true;
  g.st.TimeBonus = 0;
  const int64_t won_at = GameTicks();
  g.st.MissionCompletedAt = won_at;
  test::FrameDriver frames(g, *clock);
  ASSERT_TRUE(frames.RunUntil([&] { return g.st.Level == 1; }, 8000));
  const int64_t at = GameTicks();
  EXPECT_GE(at - won_at, 6000);
  EXPECT_LT(at - won_at, 6000 + 300);
  EXPECT_EQ(at & 256, 0);
}

TEST_F(GameFrameTest, LostRunnerRetriesAfterFiveSecondsOrEndsTheGame) {
  test::PrepareGame(g, dir);
  struct Case {
    int32_t runner;
    bool retried;
  };
  for (const Case& c : {Case{1, true}, Case{0, true}, Case{-1, false}}) {
    SCOPED_TRACE(c.runner);
    g.st.Demomode = false;
    g.st.Difficulty = 2;
    NewGame(g, 1);
    g.st.GameRunning = true;
    g.st.Runner = c.runner;
    g.st.Tot = true;
    g.st.TotAt = GameTicks();
    g.st.KochErlegtStatus = -1;
    g.st.EndWaitStatus = -1;
    clock->Advance(5000);
    GameAction(g);
    EXPECT_TRUE(g.st.Tot) << "not before more than five seconds";
    clock->Advance(1);
    GameAction(g);
    if (c.retried) {
      EXPECT_FALSE(g.st.Tot);
      EXPECT_EQ(g.st.Runner, c.runner);
      EXPECT_EQ(g.settings.ReadIni("StartMode"), "2");
    } else {
      EXPECT_EQ(g.settings.ReadIni("Level"), "0");
      EXPECT_EQ(g.st.ScoreDifficulty, 2);
    }
    FreeSpriteEngine(g, true, false, false);
  }
}

TEST_F(GameFrameTest, ErrorsInThePlayingBranchEndTheProgramWithTheirCode) {
  StartPlaying();
  g.st.MissionCompleted = true;
  g.st.MissionCompletedAt = GameTicks() - 7000;
  g.st.TimeBonus = 0;
  clock->Set((GameTicks() | 511) + 1);  // the visible half of the blinking text
  // The next level's file is missing: the loader's own fatal error passes unchanged.
  std::remove(dir.File("generatedfigures_1.txt").c_str());
  try {
    GameAction(g);
    FAIL() << "no error";
  } catch (const FatalErrorException& e) {
    EXPECT_EQ(e.Code(), 69);
  }

  // Anything else becomes code 33 with the frame's prefix: here a figure file too short to read,
  // met when the retry loads the figures.
  Game other{dir.Path()};
  test::PrepareGame(other, dir);
  other.st.Demomode = false;
  NewGame(other, 1);
  dir.Write("Neu0.png", "short");
  other.st.GameRunning = true;
  other.st.Runner = 2;
  other.st.Tot = true;
  other.st.TotAt = GameTicks() - 6000;
  other.st.KochErlegtStatus = other.st.EndWaitStatus = -1;
  try {
    GameAction(other);
    FAIL() << "no error";
  } catch (const FatalErrorException& e) {
    EXPECT_EQ(e.Code(), 33);
    EXPECT_EQ(std::string(e.what()), "Idle: " + dir.File("Neu0.png") + " --> read error");
  }
}

TEST_F(GameFrameTest, EnterInTheAttractModeLeavesForTheStartForm) {
  test::PrepareGame(g, dir);
  g.st.Demomode = true;
  g.st.ShowSplash = true;
  g.st.ShowHiScores = true;
  g.st.AppStartedAt = GameTicks();
  g.st.KeyState[VK_RETURN] = 0x80;
  g.st.NavLeft = true;
  const int64_t before = GameTicks();
  GameAction(g);
  // The frame does not wait: the start menu is due 750 ms later, and the attract mode goes on.
  EXPECT_EQ(GameTicks(), before);
  EXPECT_EQ(g.st.StartMenuAt, before + 750);
  EXPECT_FALSE(g.st.NavLeft);
  EXPECT_EQ(g.st.KeyState[VK_RETURN], 0);
  // A second press meanwhile does not put the moment off.
  clock->Advance(749);
  g.st.KeyState[VK_RETURN] = 0x80;
  GameAction(g);
  EXPECT_EQ(g.st.StartMenuAt, before + 750);
  EXPECT_TRUE(g.st.ShowSplash);
  clock->Advance(1);
  GameAction(g);
  EXPECT_EQ(g.st.StartMenuAt, 0);
  EXPECT_FALSE(g.st.ShowSplash);
  EXPECT_FALSE(g.st.ShowHiScores);
}

TEST_F(GameFrameTest, RunnerCheerHopsTenUnitsTiltingLeftAndRight) {
  test::CopyAssets(dir);
  g.figures.BuildingImageStore = true;
  g.figures.LoadFigureImages(3);
  TSprite& runner = Add(TypRunner, 52, 210, 12, 8);
  float top = runner.Y;
  for (int i = 0; i < 80; ++i) {
    RunnerCheer(g, runner);
    top = std::min(top, runner.Y);
    if (i == 9 || i == 29 || i == 49) {
      const float angle = i == 9 ? -15 : i == 49 ? 15 : 0;
      EXPECT_EQ(runner.Angle, angle) << i;
      EXPECT_EQ(runner.FigNr, i == 9 ? 24 : i == 49 ? 25 : 8) << i;
    }
  }
  EXPECT_EQ(top, 200);
  EXPECT_EQ(runner.Y, 210);
  EXPECT_EQ(runner.rakm, 0);
}

// The attract mode as the program runs it, without a window: splash, demo, runner walking in.
TEST_F(GameFrameTest, AttractModeShowsTheSplashThenTheDemoAndWalksTheRunnerIn) {
  test::PrepareGame(g, dir, true);
  UseCanvas(480, 300);
  g.st.AppStartedAt = GameTicks();
  g.st.Demomode = true;
  g.world.Random.Reset();
  g.st.ShowSplash = true;
  PrepareFirstRun(g);
  test::FrameDriver frames(g, *clock);
  // Canvas pixels of design points at a quarter of the size.
  auto at = [](float x, float y) { return std::pair<int, int>{int(x / 4), int(y / 4)}; };
  auto pixel = [&](std::pair<int, int> p) { return host->ReadPixels()->Pixel(p.first, p.second) & 0xFFFFFF; };
  const auto wall = at(26, 184);        // the wall block at the field's top left, design (0, 158)
  const auto free_cell = at(700, 700);  // an empty cell of the demo level
  const auto entry = at(78, 236);       // the middle of the runner's entry cell, design (52, 210)

  frames.RunUntil([] { return false; }, 9900);
  const uint32_t splash = pixel(free_cell);
  EXPECT_NE(splash, 0u) << "the splash covers the whole picture";
  EXPECT_FALSE(g.st.GameRunning);
  EXPECT_EQ(g.st.FreeRunnerPhase, 1);

  ASSERT_TRUE(frames.RunUntil([&] { return g.st.GameRunning; }, 500));
  EXPECT_GE(GameTicks() - g.st.AppStartedAt, 10000);
  frames.Frame();
  EXPECT_NE(pixel(wall), 0u);
  EXPECT_EQ(pixel(free_cell), 0u);
  EXPECT_EQ(pixel(entry), 0u) << "the runner waits in the display";

  ASSERT_TRUE(frames.RunUntil([&] { return g.st.RunnerReleasedAt != 0; }, 15000));
  TSprite* runner = g.RunnerSprite();
  ASSERT_NE(runner, nullptr);
  EXPECT_TRUE(runner->Visible);
  EXPECT_EQ(runner->X, 52);
  EXPECT_EQ(runner->Y, 210);
  EXPECT_TRUE(g.st.BonusTimer.Enabled);
  EXPECT_TRUE(g.st.Demomode);
  frames.Frame();
  EXPECT_NE(pixel(entry), 0u) << "the runner is drawn in its entry cell";
}

}  // namespace
}  // namespace kirpo
