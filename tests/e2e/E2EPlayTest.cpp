// Resumes an interrupted game in the real executable and steers the runner with real key presses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/Bitmap.h"
#include "platform/FileUtil.h"
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

struct E2EPlayTest : ::testing::Test {
  test::TempDir home;
  std::string window;
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
  }
  void Shot(const std::string& name) { Capture("import -window " + window + " " + home.File(name)); }
  void Focus() { test::FocusWindow(window); }
  void Hold(const std::string& key, int ms) {
    Focus();
    Capture("xdotool keydown " + key);
    SleepMs(ms);
    Capture("xdotool keyup " + key);
  }
};

TEST_F(E2EPlayTest, ResumedGameMovesOnArrowKeysAndFreezesOnF5) {
  // An interrupted game on level 1: resumed at start-up, outside the demo.
  home.Write("data/KIRPO/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=120\r\nStartMode=2\r\n");
  Process game({KIRPO_EXE}, {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}}, home.Path(),
               home.File("out.log"));
  window = FindWindow("Kirpo written by Vambrecht", 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  SleepMs(5000);  // faded in, and the next runner has walked onto the field

  Shot("before.png");
  Hold("Right", 1200);
  SleepMs(600);  // the runner finishes its cell
  Shot("after.png");
  const int moved = DifferentPixels(home.File("before.png"), home.File("after.png"));
  EXPECT_GT(moved, 500) << "the runner did not move";

  Hold("F5", 200);
  SleepMs(400);
  Shot("paused1.png");
  SleepMs(1500);
  Shot("paused2.png");
  EXPECT_EQ(DifferentPixels(home.File("paused1.png"), home.File("paused2.png")), 0) << "the picture did not freeze";

  SleepMs(600);  // F5 toggles at most once per second
  Hold("F5", 200);
  SleepMs(1200);
  Shot("resumed.png");
  EXPECT_GT(DifferentPixels(home.File("paused2.png"), home.File("resumed.png")), 0) << "the game did not resume";

  // Esc asks over the still game; another key plays on, Esc again ends.
  Hold("Escape", 150);
  SleepMs(400);
  Shot("asked1.png");
  SleepMs(1200);
  Shot("asked2.png");
  EXPECT_GT(DifferentPixels(home.File("resumed.png"), home.File("asked1.png")), 0) << "nothing was asked";
  EXPECT_EQ(DifferentPixels(home.File("asked1.png"), home.File("asked2.png")), 0) << "the game went on while asked";
  EXPECT_TRUE(game.Running());
  Hold("x", 150);
  SleepMs(1200);
  Shot("answered.png");
  EXPECT_GT(DifferentPixels(home.File("asked2.png"), home.File("answered.png")), 0) << "the game did not go on";
  EXPECT_TRUE(game.Running());
  Hold("Escape", 150);
  SleepMs(300);
  Hold("Escape", 150);
  EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
  const std::string ini = home.Read("data/KIRPO/kirpo.ini");
  EXPECT_NE(ini.find("Level=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("StartMode=2\r\n"), std::string::npos) << ini;
}

}  // namespace
}  // namespace kirpo
