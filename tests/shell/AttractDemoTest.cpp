// The attract mode's cycle in the real program around the game: after the recorded demo of level 0 it
// plays other levels from their proving replays, as the data package carries them.
#include "game/AttractDemo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/Consts.h"
#include "game/Game.h"
#include "scores/HiScoreFile.h"
#include "shell/AppFixture.h"
#include "startmenu/StartForm.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct AttractDemoTest : test::AppFixture {
  // The winning replays as the package lays them out: replays/<level>-<difficulty>.txt.
  void InstallReplays() {
    fs::create_directories(data + "replays");
    const char* const names[3] = {"easy", "hard", "crazy"};
    for (int level = 0; level <= LastLevel; ++level)
      for (int d = 0; d < 3; ++d) {
        const fs::path from = fs::path(KIRPO_SOURCE_DIR) / "tests/levels/replays" / std::to_string(level) /
                              (std::string(names[d]) + "-win.txt");
        if (fs::exists(from)) fs::copy_file(from, DemoReplayPath(data, level, d));
      }
    for (const AttractDemo& demo : AttractDemos())
      if (demo.show) fs::copy_file(ScriptPath(demo, ".txt"), DemoReplayPath(data, demo.level, demo.difficulty, demo.show));
  }
  // The demo's script in the source tree, or its pin with ext ".pin".
  static fs::path ScriptPath(const AttractDemo& demo, const std::string& ext) {
    const char* const names[3] = {"easy", "hard", "crazy"};
    const std::string kind = demo.show ? std::string("-show-") + demo.show : std::string("-win");
    return fs::path(KIRPO_SOURCE_DIR) / "tests/levels/replays" / std::to_string(demo.level) /
           (std::string(names[demo.difficulty]) + kind + ext);
  }
  // The frame the proving replay decided its level at, from its pin.
  static int64_t PinnedFrames(const AttractDemo& demo) {
    std::ifstream pin(ScriptPath(demo, ".pin"));
    for (std::string line; std::getline(pin, line);)
      if (line.rfind("frames: ", 0) == 0) return std::stoll(line.substr(8));
    return -1;
  }
  // Runs in steps of 100 ms until done says so or the time is up; false when it never did.
  template <typename Done>
  bool RunUntilSeen(int64_t max_ms, Done done) {
    const int64_t end = clock->Now() + max_ms;
    while (clock->Now() < end) {
      app->RunUntil(clock->Now() + 100);
      if (done()) return true;
    }
    return false;
  }
  // The player's own files, byte for byte.
  std::string PlayersFiles() {
    std::string all;
    for (const std::string& name : {std::string("kirpo.ini"), HiScoreFileName(0), HiScoreFileName(1),
                                    HiScoreFileName(2)})
      all += name + ":" + dir.Read("data/" + name) + "\n";
    return all;
  }
  void WritePlayersFiles() {
    dir.Write("data/kirpo.ini", "Difficulty=0\r\nShowNavButtons=1\r\nGoalShown=1\r\n");
    HiScoreList list{};
    list[0] = TPlayer{"ANNA", 23450, "20261201"};
    for (int d = 0; d < 3; ++d) dir.Write("data/" + HiScoreFileName(d), FormatHiScores(list));
  }
};

TEST_F(AttractDemoTest, EachCycleAfterTheFirstReplaysAChosenLevelAndTouchesNoPlayersFile) {
  InstallReplays();
  WritePlayersFiles();
  const std::string before = PlayersFiles();
  app->StartUp();
  Game& g = app->G();
  // The first cycle as ever: the recorded demo of level 0 to its door, then the table.
  ASSERT_TRUE(RunUntilSeen(90000, [&] { return g.st.MissionCompleted && g.st.Level == 0; }));
  EXPECT_FALSE(g.st.DemoReplay);
  ASSERT_TRUE(RunUntilSeen(20000, [&] { return g.st.ShowHiScores; }));

  // Every chosen demo in turn: its level on its difficulty, won, and the table after it.
  for (const AttractDemo& demo : AttractDemos()) {
    SCOPED_TRACE("level " + std::to_string(demo.level));
    EXPECT_TRUE(g.st.DemoReplay);
    EXPECT_EQ(g.st.Level, demo.level);
    ASSERT_TRUE(RunUntilSeen(12000, [&] { return !g.st.ShowHiScores; }));
    EXPECT_TRUE(g.st.Demomode);
    EXPECT_EQ(g.mf.f1Difficulty->text, "CRAZY") << "the attract mode's label, whatever it plays";
    bool monsters_seen = false, sleep_seen = false;
    ASSERT_TRUE(RunUntilSeen(60000, [&] {
      for (const TSprite& s : g.world.Sprites()) {
        monsters_seen = monsters_seen || s.Typ == TypKMonster || s.Typ == TypGMonster;
        sleep_seen = sleep_seen || ((s.Typ == TypKMonster || s.Typ == TypGMonster) && s.SleepingStart != 0);
      }
      EXPECT_FALSE(g.st.Tot) << "the demo's runner was caught: " << g.st.KillReason;
      return g.st.MissionCompleted || g.st.Tot;
    }));
    EXPECT_TRUE(g.st.MissionCompleted);
    EXPECT_TRUE(monsters_seen);
    if (demo.show && std::string(demo.show) == "sleep") EXPECT_TRUE(sleep_seen) << "no monster was put to sleep";
    // Won at the very frame of its proof: the demo plays the level as the replay proved it.
    EXPECT_EQ(g.DemoScriptFrame, PinnedFrames(demo));
    ASSERT_TRUE(RunUntilSeen(20000, [&] { return g.st.ShowHiScores; }));
    EXPECT_EQ(g.st.Difficulty, 0) << "the player's difficulty stays";
  }
  // Then the cycle starts over with the recorded demo.
  EXPECT_FALSE(g.st.DemoReplay);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_EQ(PlayersFiles(), before);
}

TEST_F(AttractDemoTest, AKeyDuringAReplayedDemoOpensTheStartMenuAndTheGameStartsAsChosen) {
  InstallReplays();
  app->StartUp();
  Game& g = app->G();
  ASSERT_TRUE(RunUntilSeen(120000, [&] { return g.st.DemoReplay && !g.st.ShowHiScores && g.st.BonusTimer.Enabled; }));
  Key(VK_RETURN);
  ASSERT_TRUE(RunUntilSeen(2000, [&] { return &app->CurrentForm() == &app->GetStartForm()->form; }));
  // New Game (focused) with Enter: the game starts on the first level, played by the player.
  app->RunUntil(clock->Now() + 1000);
  Key(VK_RETURN);
  ASSERT_TRUE(RunUntilSeen(3000, [&] { return !g.st.Demomode; }));
  EXPECT_FALSE(g.st.DemoReplay);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_EQ(g.st.Runner, 4);
  EXPECT_EQ(g.st.Score, 0);
}

TEST_F(AttractDemoTest, WithoutTheReplaysTheRecordedDemoTakesEveryTurn) {
  // An installation from an older package has no replays/ folder.
  app->StartUp();
  Game& g = app->G();
  int tables = 0;
  bool table = false;
  ASSERT_TRUE(RunUntilSeen(200000, [&] {
    EXPECT_FALSE(g.st.DemoReplay);
    EXPECT_EQ(g.st.Level, 0);
    if (g.st.ShowHiScores && !table) ++tables;
    table = g.st.ShowHiScores;
    return tables == 2;
  }));
}

}  // namespace
}  // namespace kirpo
