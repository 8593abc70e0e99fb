// The levels' proving replays (tests/levels/replays, layout in docs/replay-scripts.md): every case
// replays from a fresh game as pinned, every level of the package is won on every difficulty, and
// the winning scripts played one after another in one game reach the end of the game.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/Consts.h"
#include "game/Game.h"
#include "game/RulesFixture.h"
#include "platform/FileUtil.h"
#include "support/LevelCases.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

const std::string kAssets = std::string(KIRPO_SOURCE_DIR) + "/assets";
const std::string kReplays = std::string(KIRPO_SOURCE_DIR) + "/tests/levels/replays";

void Print(const test::LevelsCheck& check) {
  for (const std::string& line : check.lines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

TEST(LevelsReplayTest, EveryCaseReplaysAsPinnedAndEveryLevelIsWonOnEveryDifficulty) {
  const test::LevelsCheck check = test::CheckAllLevels(kAssets, kReplays);
  Print(check);
  EXPECT_GT(check.cases, 0);
  EXPECT_EQ(check.failed, 0);
  EXPECT_EQ(check.missing, 0);
}

// The check is only as good as its oracle: a changed script, a changed rule and a missing case must
// each make it fail. A small level of its own, won by pushing the ball off a ledge onto the door.
struct LevelsCheckTest : ::testing::Test {
  test::TempDir data, replays;
  void SetUp() override {
    test::WriteRuleFigures(data);
    data.Write("generatedfigures_7.txt", test::LevelText({
                                             "#######",  //
                                             "#.....#",  //
                                             "#.....#",  //
                                             "#.....#",  //
                                             "#.b...#",  // the runner enters at column 1
                                             "###.###",  //
                                             "###D###",  //
                                             "#######",
                                         }));
    for (const char* d : test::kDifficultyNames) Pin(std::string("7/") + d + "-win", "150 -\n400 R\n");
    Pin("7/easy-lose-time", "33000 -\n");
  }
  // Writes the script and pins what its replay prints now.
  void Pin(const std::string& name, const std::string& script) {
    fs::create_directories(replays.Path() + "7");
    replays.Write(name + ".txt", script);
    std::vector<std::string> errors;
    for (const test::LevelCase& c : test::FindLevelCases(replays.Path(), errors)) {
      if (c.name != name) continue;
      ReplayScript s;
      ASSERT_TRUE(ParseReplayScript(script, s));
      ReplayOptions o;
      o.data_dir = data.Path();
      o.level = c.level;
      o.difficulty = c.difficulty;
      replays.Write(name + ".pin", ReplayReport(RunReplay(o, s)));
    }
  }
};

TEST_F(LevelsCheckTest, AnAlteredScriptOrRuleOrAMissingWinFailsTheCheck) {
  const test::LevelsCheck clean = test::CheckAllLevels(data.Path(), replays.Path());
  Print(clean);
  ASSERT_TRUE(clean.Ok());
  EXPECT_EQ(clean.cases, 4);
  // The long wait for the clock has been seen to pass; the checks below need only the wins.
  fs::remove(replays.File("7/easy-lose-time.txt"));
  fs::remove(replays.File("7/easy-lose-time.pin"));

  // The player waits one frame longer before pushing.
  replays.Write("7/hard-win.txt", "151 -\n400 R\n");
  const test::LevelsCheck script = test::CheckAllLevels(data.Path(), replays.Path());
  Print(script);
  EXPECT_EQ(script.failed, 1);
  replays.Write("7/hard-win.txt", "150 -\n400 R\n");

  // The runner walks three units a move instead of four: a rule changed under the scripts.
  const test::LevelsCheck rule = test::CheckAllLevels(data.Path(), replays.Path(), [](ReplayOptions& o) {
    o.on_start = [](Game& g) { g.st.DefaultSpeeds[SpeedRunner] = 3; };
  });
  Print(rule);
  EXPECT_EQ(rule.failed, 3);

  fs::remove(replays.File("7/crazy-win.txt"));
  fs::remove(replays.File("7/crazy-win.pin"));
  const test::LevelsCheck missing = test::CheckAllLevels(data.Path(), replays.Path());
  Print(missing);
  EXPECT_EQ(missing.failed, 0);
  EXPECT_EQ(missing.missing, 1);
  EXPECT_FALSE(missing.Ok());
}

// The value of one line ("frames: 604") of a pinned report; -1 when it is missing.
int64_t PinnedValue(const std::string& pin, const std::string& key) {
  const size_t at = pin.find("\n" + key + ": ");
  return at == std::string::npos ? -1 : std::stoll(pin.substr(at + key.size() + 3));
}

// The winning scripts of consecutive levels played in one game, score and runners carried over, as
// a player plays through the package. A level reached so plays exactly as when the game starts on
// it: the same frames to the win and the same time left, which the hunters of Crazy only allow
// when its frames fall at the same moments after its start and nothing of the level before
// changes their coins.
TEST(LevelsPlayThroughTest, WinningScriptsPlayedInOneGameWinEveryLevelInTurn) {
  const std::vector<int> levels = test::LevelsIn(kAssets);
  ASSERT_FALSE(levels.empty());
  for (int d = 0; d < 3; ++d) {
    std::vector<PlayThroughLevel> plan;
    for (int level = 0; level <= LastLevel; ++level) {
      std::string text;
      if (!ReadFileText(kReplays + "/" + std::to_string(level) + "/" + test::kDifficultyNames[d] + "-win.txt", text))
        break;
      PlayThroughLevel l;
      l.level = level;
      ASSERT_TRUE(ParseReplayScript(text, l.script));
      plan.push_back(l);
    }
    SCOPED_TRACE(test::kDifficultyNames[d]);
    ReplayOptions o;
    o.data_dir = kAssets;
    o.difficulty = d;
    const PlayThroughResult r = RunPlayThrough(o, plan, 3000);
    std::printf("play-through %s: %d of %zu levels won, score %d, %s\n", test::kDifficultyNames[d], r.levels_won,
                plan.size(), r.last.score, r.congratulated ? "congratulated" : r.stopped.c_str());
    EXPECT_EQ(r.levels_won, static_cast<int>(plan.size())) << r.stopped;
    for (size_t i = 0; i < r.levels.size(); ++i) {
      std::string pin;
      const std::string name = std::to_string(plan[i].level) + "/" + test::kDifficultyNames[d] + "-win";
      ASSERT_TRUE(ReadFileText(kReplays + "/" + name + ".pin", pin)) << name;
      pin = "\n" + pin;
      EXPECT_EQ(r.levels[i].frames, PinnedValue(pin, "frames")) << name;
      EXPECT_EQ(r.levels[i].time_bonus, PinnedValue(pin, "time bonus")) << name;
      EXPECT_EQ(r.levels[i].pilz_count, PinnedValue(pin, "mushrooms")) << name;
    }
    if (!plan.empty() && plan.back().level == LastLevel) {
      EXPECT_TRUE(r.congratulated);
      EXPECT_FALSE(r.last.failed) << r.last.error;
    }
  }
}

// Winning the last level ends in the final congratulation, never in a missing next level.
TEST(LevelsPlayThroughTest, WinningTheLastLevelEndsInTheCongratulation) {
  test::TempDir data;
  test::WriteRuleFigures(data);
  const std::string level = test::LevelText({"#######", "#.....#", "#.....#", "#.....#", "#.b...#", "###.###",
                                             "###D###", "#######"});
  data.Write("generatedfigures_55.txt", level);
  data.Write("generatedfigures_56.txt", level);
  PlayThroughLevel l;
  ASSERT_TRUE(ParseReplayScript("150 -\n400 R\n", l.script));
  std::vector<PlayThroughLevel> plan(2, l);
  plan[0].level = 55;
  plan[1].level = LastLevel;
  ReplayOptions o;
  o.data_dir = data.Path();
  const PlayThroughResult r = RunPlayThrough(o, plan, 3000);
  EXPECT_EQ(r.levels_won, 2) << r.stopped;
  EXPECT_TRUE(r.congratulated) << r.stopped;
  EXPECT_FALSE(r.last.failed) << r.last.error;
  EXPECT_GT(r.last.score, 10000);  // both levels' time bonus, carried over
}

}  // namespace
}  // namespace kirpo
