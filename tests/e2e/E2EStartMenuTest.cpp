// A new player's way from the attract mode through the start menu into a game, in the real executable
// with real key presses. The screenshots stay in the build folder as artefacts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"
#include "support/X11.h"

namespace kirpo {
namespace {

using test::Capture;
using test::DifferentPixels;
using test::FindWindow;
using test::Process;
using test::SleepMs;

struct E2EStartMenuTest : ::testing::Test {
  test::TempDir home;
  std::string window;
  std::unique_ptr<Process> game;
  std::string artefacts = std::string(KIRPO_BINARY_DIR) + "/e2e-artefacts/startmenu/";

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
    std::filesystem::create_directories(artefacts);
    game = std::make_unique<Process>(std::vector<std::string>{KIRPO_EXE},
                                     std::map<std::string, std::string>{{"XDG_DATA_HOME", home.Path() + "data"},
                                                                        {"SDL_AUDIODRIVER", "dummy"}},
                                     home.Path(), home.File("out.log"));
    window = FindWindow("Kirpo written by Vambrecht", 30000);
    ASSERT_FALSE(window.empty()) << home.Read("out.log");
    SleepMs(3000);  // faded in
  }
  std::string Shot(const std::string& name) {
    const std::string path = artefacts + name;
    Capture("import -window " + window + " " + path);
    return path;
  }
  void Keys(const std::string& keys, int settle_ms) {
    Capture("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window +
            " 2>/dev/null");
    for (size_t at = 0; at < keys.size();) {
      size_t end = keys.find(' ', at);
      if (end == std::string::npos) end = keys.size();
      Capture("xdotool keydown " + keys.substr(at, end - at) + "; sleep 0.08; xdotool keyup " +
              keys.substr(at, end - at));
      SleepMs(250);
      at = end + 1;
    }
    SleepMs(settle_ms);
  }
  std::string Ini() { return home.Read("data/KIRPO/kirpo.ini"); }
  // From a game in play: Esc asks first, Enter ends.
  void Quit() {
    Keys("Escape Return", 0);
    EXPECT_EQ(game->Wait(15000), 0) << home.Read("out.log");
  }
};

TEST_F(E2EStartMenuTest, EnterOpensTheMenuPickHardThenNewGame) {
  const std::string attract = Shot("attract.png");
  Keys("Return", 1500);
  const std::string menu = Shot("menu.png");
  EXPECT_GT(DifferentPixels(attract, menu), 100000) << "the menu did not come up";
  Keys("Down Return", 800);
  const std::string difficulty = Shot("difficulty.png");
  EXPECT_GT(DifferentPixels(menu, difficulty), 5000) << "the difficulty panel did not open";
  Keys("Down Return", 800);
  EXPECT_NE(Ini().find("Difficulty=1\r\n"), std::string::npos) << Ini();
  Shot("menu-hard.png");
  Keys("Up Return", 4000);
  Shot("game-hard.png");
  const std::string ini = Ini();
  EXPECT_NE(ini.find("StartLevel=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("StartMode=1\r\n"), std::string::npos) << ini;
  Quit();
}

TEST_F(E2EStartMenuTest, TrainingItemTwoPlaysLevelOne) {
  Keys("Return", 1500);
  Keys("Up Return", 1500);
  const std::string list = Shot("training.png");
  Keys("Right", 500);
  const std::string moved = Shot("training-item2.png");
  EXPECT_GT(DifferentPixels(list, moved), 1000) << "the selection did not move";
  Keys("Return", 5000);
  Shot("training-game.png");
  const std::string ini = Ini();
  EXPECT_NE(ini.find("Level=1\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("StartLevel=1\r\n"), std::string::npos) << ini;
  Quit();
}

}  // namespace
}  // namespace kirpo
