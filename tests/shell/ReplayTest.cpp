#include "shell/Replay.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "game/RulesFixture.h"
#include "platform/Host.h"

namespace kirpo {
namespace {

// Small levels played through the replay runner. The runner walks in to column 1, row 4.
const std::vector<std::string> kPushToDoor = {
    "#######",  // the blue ball, pushed one cell right, drops through the gap onto the door
    "#.....#",  //
    "#.....#",  //
    "#.....#",  //
    "#.b...#",  //
    "###.###",  //
    "###.###",  //
    "###D###",  //
    "#######",
};
const std::vector<std::string> kMonsterComes = {
    "#######",  // a kmonster walks left into the waiting runner
    "#.....#",  //
    "#.....#",  //
    "#.....#",  //
    "#....K#",  //
    "#######",
};
const std::vector<std::string> kEmptyRoom = {
    "#######",  //
    "#.....#",  //
    "#.....#",  //
    "#.....#",  //
    "#.....#",  //
    "#######",
};
// Something of everything, for the digest to see: falling balls and mushrooms in the runner's
// hall, monsters hunting it from behind a wall, a door out of reach.
const std::vector<std::string> kBusy = {
    "#########################",  //
    "#.p.r.p.b.p.r.p.b.p.r.p.#",  //
    "#.......................#",  //
    "#########.....###########",  //
    "#..p..........#..k....K.#",  //
    "#..#.r...b....#.........#",  //
    "#######.#######..g....g.#",  //
    "#.......#.....#.........#",  //
    "#..D....#.p.p.#.........#",  //
    "#########################",
};

std::string Hex(uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

struct ReplayTest : ::testing::Test {
  test::TempDir dir;

  void SetUp() override { test::WriteRuleFigures(dir); }

  ReplayResult Play(const std::vector<std::string>& level, int difficulty, const std::string& script,
                    bool play_through = false, Host* drawn_on = nullptr) {
    dir.Write("generatedfigures_3.txt", test::LevelText(level));
    ReplayScript s;
    std::string error;
    EXPECT_TRUE(ParseReplayScript(script, s, &error)) << error;
    ReplayOptions o;
    o.data_dir = dir.Path();
    o.level = 3;
    o.difficulty = difficulty;
    o.play_through = play_through;
    o.host = drawn_on;
    o.draw = drawn_on != nullptr;
    return RunReplay(o, s);
  }
};

TEST_F(ReplayTest, ScriptsReadHeldKeysTapsAndModes) {
  ReplayScript s;
  std::string error;
  ASSERT_TRUE(ParseReplayScript("# walk in\n\n120 -\n  30 RF   # push and throw\r\ntap 100.5 200\ntouch\nbuttons\n"
                                "5 udlrfc\n",
                                s, &error))
      << error;
  ASSERT_EQ(s.steps.size(), 6u);
  EXPECT_EQ(s.steps[0].frames, 120);
  EXPECT_EQ(s.steps[0].keys, 0);
  EXPECT_EQ(s.steps[1].keys, ReplayRight | ReplayFire);
  EXPECT_EQ(s.steps[2].kind, ReplayStep::Kind::Tap);
  EXPECT_EQ(s.steps[2].x, 100.5f);
  EXPECT_EQ(s.steps[2].y, 200.0f);
  EXPECT_EQ(s.steps[3].kind, ReplayStep::Kind::TouchMode);
  EXPECT_EQ(s.steps[4].kind, ReplayStep::Kind::ButtonMode);
  EXPECT_EQ(s.steps[5].keys, ReplayUp | ReplayDown | ReplayLeft | ReplayRight | ReplayFire | ReplayControl);
  EXPECT_EQ(s.TotalFrames(), 155);

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {
      {"10 R\n0 R\n", "line 2: frame count must be a whole number above 0"},
      {"-5 R", "line 1: frame count must be a whole number above 0"},
      {"10 X", "line 1: keys are \"-\" or letters of U D L R F C"},
      {"10", "line 1: expected \"<frames> <keys>\""},
      {"10 R L", "line 1: expected \"<frames> <keys>\""},
      {"tap 1", "line 1: expected \"tap <x> <y>\" in design units"},
      {"tap a 2", "line 1: expected \"tap <x> <y>\" in design units"},
      {"touch now", "line 1: \"touch\" takes nothing after it"},
  };
  for (const Bad& b : bad) {
    EXPECT_FALSE(ParseReplayScript(b.text, s, &error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

// Each outcome ends the replay at the frame that decided it. The digests pin the whole end state:
// a change to any rule that moves a figure or a number shows up here. The fixture levels are games
// started at a level of their own, so the head-up display calls them "TRAINING".
TEST_F(ReplayTest, FixtureLevelsPlayToTheirOutcomes) {
  struct Case {
    const char* name;
    const std::vector<std::string>* level;
    int difficulty;
    const char* script;
    ReplayOutcome outcome;
    const char* reason;
    int64_t frames;
    int32_t time_bonus;
    const char* digest;
  };
  const Case cases[] = {
      // Won in the frame the ball lands; the count of the time bonus has begun in it.
      {"push the ball onto the door", &kPushToDoor, 0, "150 -\n400 R\n", ReplayOutcome::Won, "", 190, 8980,
       "953f8b77014ea6f7"},
      // The kmonster turns once at random on its way, so it comes late.
      {"wait for the monster", &kMonsterComes, 1, "600 -\n", ReplayOutcome::Lost, "Killed by enemy", 437, 9900,
       "7a3e0b8fb10c827e"},
      // 1000 ticks of 500 ms, 32000 frames, after the walk-in of 113 frames.
      {"out of time", &kEmptyRoom, 0, "33000 -\n", ReplayOutcome::Lost, "Out of time", 32113, 0,
       "aadfda765b8a634f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReplayResult r = Play(*c.level, c.difficulty, c.script);
    ASSERT_FALSE(r.failed) << r.error;
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.kill_reason, c.reason);
    EXPECT_EQ(r.frames, c.frames);
    EXPECT_EQ(r.time_bonus, c.time_bonus);
    EXPECT_EQ(Hex(r.digest), c.digest);
  }
}

TEST_F(ReplayTest, TheSameScriptGivesTheSameDigestAndAnyChangeADifferentOne) {
  // Walk in, take the mushroom on the way right, throw it at the wall, walk back left.
  const std::string script = "200 -\n60 R\n30 F\n100 -\n40 L\n200 -\n";
  const ReplayResult a = Play(kBusy, 2, script, true);
  const ReplayResult b = Play(kBusy, 2, script, true);
  ASSERT_FALSE(a.failed) << a.error;
  EXPECT_EQ(a.frames, 630);
  EXPECT_EQ(a.outcome, ReplayOutcome::Running);
  EXPECT_EQ(a.pilz_count, 0);
  EXPECT_EQ(Hex(a.digest), Hex(b.digest));

  // No throw, a shorter walk back, and another difficulty (no gmonsters).
  const ReplayResult no_throw = Play(kBusy, 2, "200 -\n60 R\n30 -\n100 -\n40 L\n200 -\n", true);
  const ReplayResult shorter = Play(kBusy, 2, "200 -\n60 R\n30 F\n100 -\n20 L\n220 -\n", true);
  const ReplayResult hard = Play(kBusy, 1, script, true);
  EXPECT_EQ(no_throw.pilz_count, 1);
  for (const ReplayResult* r : {&no_throw, &shorter, &hard}) {
    EXPECT_EQ(r->frames, a.frames);
    EXPECT_NE(Hex(r->digest), Hex(a.digest));
  }
}

// The replay is the window's own frame loop: periodic callbacks run at their own intervals, not
// once a frame, and frames start when the picture begins to fade in, half a second after start-up.
TEST_F(ReplayTest, PeriodicCallbacksRunAtTheirOwnIntervalsAsInTheWindow) {
  dir.Write("generatedfigures_3.txt", test::LevelText(kEmptyRoom));
  ReplayScript s;
  ASSERT_TRUE(ParseReplayScript("200 -\n", s));
  int calls = 0;
  int64_t at_frame_64 = -1, released_at = 0;
  ReplayOptions o;
  o.data_dir = dir.Path();
  o.level = 3;
  o.on_start = [&calls](Game& g) { g.timers.AddHiTimer(99, false, nullptr, [&calls](int32_t*) { ++calls; }, 10); };
  o.after_frame = [&](Game& g, int64_t frame) {
    if (frame == 64) {
      at_frame_64 = GameTicks();
      EXPECT_EQ(calls, 150);  // every 10 ms up to 1500 ms, not 64 times
    }
    if (!released_at && g.st.FreeRunnerPhase == -1) released_at = g.st.RunnerReleasedAt;
    return true;
  };
  const ReplayResult r = RunReplay(o, s);
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ(at_frame_64, 500 + 1000);
  // The walk-in of the reserve runner, as the window measures it.
  EXPECT_EQ(released_at, 2256);
}

// Drawing is skipped in a replay only because it changes nothing the game goes on from: the same
// script drawn frame by frame on a real (offscreen) picture ends in the same state.
TEST_F(ReplayTest, DrawingEveryFrameEndsInTheSameDigest) {
  const std::string script = "200 -\n60 R\n30 F\n100 -\n40 L\ntap 900 400\n200 -\n";
  const ReplayResult skipped = Play(kBusy, 2, script, true);
  std::unique_ptr<Host> picture = CreateOffscreenHost(960, 600);
  ASSERT_TRUE(picture);
  const ReplayResult drawn = Play(kBusy, 2, script, true, picture.get());
  ASSERT_FALSE(drawn.failed) << drawn.error;
  EXPECT_EQ(drawn.frames, skipped.frames);
  EXPECT_EQ(Hex(drawn.digest), Hex(skipped.digest));
}

TEST_F(ReplayTest, PlayingThroughALossRetriesTheLevel) {
  const ReplayResult r = Play(kMonsterComes, 1, "900 -\n", true);
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ(r.frames, 900);
  EXPECT_EQ(r.runner, 3);  // one reserve runner spent, and the retry under way
  EXPECT_EQ(r.outcome, ReplayOutcome::Running);
}

// An error inside the frame ends the program with its code; a replay ends there too, and its report
// says so, so a pinned replay can never pass through it.
TEST_F(ReplayTest, AnErrorInTheFrameEndsTheReplayWithItsCode) {
  dir.Write("generatedfigures_3.txt", test::LevelText(kPushToDoor));
  ReplayScript s;
  ASSERT_TRUE(ParseReplayScript("150 -\n400 R\n", s));
  ReplayOptions o;
  o.data_dir = dir.Path();
  o.level = 3;
  o.on_start = [](Game& g) {
    g.RunnerStepHook = [](Game&, TSprite&, bool) { throw std::runtime_error("broken rule"); };
  };
  const ReplayResult r = RunReplay(o, s);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error_code, ExitFrame);
  EXPECT_LT(r.frames, s.TotalFrames());  // it stopped where the error came
  EXPECT_EQ(ReplayReport(r).substr(0, 23), "outcome: error 33 (Idle");
}

TEST_F(ReplayTest, AMissingLevelEndsTheReplayWithTheGamesError) {
  ReplayScript s;
  ASSERT_TRUE(ParseReplayScript("10 -\n", s));
  ReplayOptions o;
  o.data_dir = dir.Path();
  o.level = 9;
  const ReplayResult r = RunReplay(o, s);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error_code, ExitLevelFileMissing);
  EXPECT_NE(r.error.find("generatedfigures_9.txt"), std::string::npos);
}

}  // namespace
}  // namespace kirpo
