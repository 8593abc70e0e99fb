// A pause of any length at any moment changes nothing of the game: every level's winning script on
// Hard, played again with long pauses before the walk-in, right after a throw and in the middle,
// ends with the same outcome, score, time bonus, mushrooms, reserve cooks and frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "game/ReplayScript.h"
#include "platform/FileUtil.h"
#include "shell/Replay.h"
#include "support/LevelCases.h"

namespace kirpo {
namespace {

const std::string kAssets = std::string(KIRPO_SOURCE_DIR) + "/assets";
const std::string kReplays = std::string(KIRPO_SOURCE_DIR) + "/tests/levels/replays";
constexpr int64_t kPauseMs = 20000;

// The script with a pause after each of these frame counts (counted from its start).
ReplayScript WithPauses(const ReplayScript& script, std::vector<int64_t> after) {
  std::sort(after.begin(), after.end());
  ReplayScript out;
  int64_t played = 0;
  size_t next = 0;
  auto pause_due = [&] {
    while (next < after.size() && after[next] == played) {
      ReplayStep p;
      p.kind = ReplayStep::Kind::Pause;
      p.frames = kPauseMs;
      out.steps.push_back(p);
      ++next;
    }
  };
  pause_due();
  for (const ReplayStep& step : script.steps) {
    if (step.kind != ReplayStep::Kind::Hold) {
      out.steps.push_back(step);
      continue;
    }
    int64_t left = step.frames;
    while (left > 0) {
      const int64_t until = next < after.size() ? after[next] - played : left;
      const int64_t take = std::max<int64_t>(1, std::min(left, until));
      ReplayStep part = step;
      part.frames = take;
      out.steps.push_back(part);
      played += take, left -= take;
      pause_due();
    }
  }
  return out;
}

// The first frame after the first throw, or -1 when the script never throws.
int64_t AfterFirstThrow(const ReplayScript& script) {
  int64_t played = 0;
  for (const ReplayStep& step : script.steps) {
    if (step.kind != ReplayStep::Kind::Hold) continue;
    if (step.keys & (ReplayFire | ReplayControl)) return played + 1;
    played += step.frames;
  }
  return -1;
}

TEST(LevelsPauseTest, LongPausesChangeNothingOfAnyLevelOnHard) {
  std::vector<std::string> errors;
  int levels = 0;
  for (const test::LevelCase& c : test::FindLevelCases(kReplays, errors)) {
    if (!c.win || c.difficulty != 1) continue;
    std::string text;
    ASSERT_TRUE(ReadFileText(c.script_path, text)) << c.script_path;
    ReplayScript script;
    ASSERT_TRUE(ParseReplayScript(text, script)) << c.script_path;
    ReplayOptions o;
    o.data_dir = kAssets;
    o.level = c.level;
    o.difficulty = c.difficulty;
    const ReplayResult plain = RunReplay(o, script);
    // Before the walk-in has brought the cook onto the field, after the first throw, in the middle.
    std::vector<int64_t> at = {20, plain.frames / 2};
    if (const int64_t t = AfterFirstThrow(script); t > 0 && t < plain.frames) at.push_back(t);
    const ReplayResult paused = RunReplay(o, WithPauses(script, at));
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(paused.failed) << paused.error;
    EXPECT_EQ(paused.outcome, ReplayOutcome::Won);
    EXPECT_EQ(paused.outcome, plain.outcome);
    EXPECT_EQ(paused.score, plain.score);
    EXPECT_EQ(paused.time_bonus, plain.time_bonus);
    EXPECT_EQ(paused.pilz_count, plain.pilz_count);
    EXPECT_EQ(paused.runner, plain.runner);
    EXPECT_EQ(paused.frames, plain.frames);
    ++levels;
  }
  EXPECT_TRUE(errors.empty());
  EXPECT_GE(levels, 57);
  std::printf("%d levels on Hard played with three pauses of %lld ms each\n", levels,
              static_cast<long long>(kPauseMs));
}

TEST(LevelsPauseTest, APauseLineParsesAndIsRefusedWithoutItsLength) {
  ReplayScript s;
  std::string error;
  EXPECT_TRUE(ParseReplayScript("10 R\npause 20000\n5 -\n", s, &error)) << error;
  ASSERT_EQ(s.steps.size(), 3u);
  EXPECT_EQ(s.steps[1].kind, ReplayStep::Kind::Pause);
  EXPECT_EQ(s.steps[1].frames, 20000);
  EXPECT_EQ(s.TotalFrames(), 15);
  for (const char* bad : {"pause\n", "pause 0\n", "pause -5\n", "pause 10 20\n", "pause x\n"}) {
    EXPECT_FALSE(ParseReplayScript(bad, s, &error)) << bad;
    EXPECT_NE(error.find("pause"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace kirpo
