// A player with only a game controller, in the real executable under Xvfb: a virtual pad preloaded
// into the game (tests/padpilot) types a name for a top score on the on-screen keyboard, then goes
// from the high-score table through the start menu into a new game on Crazy. The screenshots stay
// in the build folder as artefacts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileUtil.h"
#include "scores/HiScoreFile.h"
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
using test::WaitFor;

struct E2EGamepadTest : ::testing::Test {
  test::TempDir home;
  std::string window;
  std::string commands;
  const std::string artefacts = std::string(KIRPO_BINARY_DIR) + "/e2e-artefacts/gamepad/";

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
    std::filesystem::create_directories(artefacts);
    commands = home.File("pad");
    home.Write("pad", "");
  }
  std::map<std::string, std::string> Env() const {
    // The pilot is loaded before the sanitizers' runtime, which then must not insist on coming first.
    const char* asan = std::getenv("ASAN_OPTIONS");
    return {{"XDG_DATA_HOME", home.Path() + "data"},
            {"SDL_AUDIODRIVER", "dummy"},
            {"LD_PRELOAD", KIRPO_PADPILOT},
            {"KIRPO_PADPILOT", commands},
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
  }
  void Pad(const std::string& line) {
    std::ofstream(commands, std::ios::app) << line << "\n";
  }
  // A short press of a button (SDL's names: a, b, back, start, dpup, dpleft ...).
  void Press(const std::string& button, int settle_ms = 400) {
    Pad(button + " down");
    SleepMs(120);
    Pad(button + " up");
    SleepMs(settle_ms);
  }
  std::string Shot(const std::string& name) {
    const std::string path = artefacts + name;
    Capture("import -window " + window + " " + path);
    return path;
  }
  std::string Ini() { return home.Read("data/KIRPO/kirpo.ini"); }
  bool IniHas(const std::string& line) { return ("\n" + Ini()).find("\n" + line + "\r\n") != std::string::npos; }
};

TEST_F(E2EGamepadTest, ANameTypedOnThePadThenTheMenuIntoANewGameOnCrazy) {
  // A game on Hard on its last runner with 5000 points, resumed at start.
  home.Write("data/KIRPO/kirpo.ini", "Difficulty=1\r\nLevel=1\r\nStartLevel=0\r\nRunner=0\r\nScore=5000\r\nStartMode=2\r\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  window = FindWindow("Kirpo written by Vambrecht", 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  SleepMs(6000);  // the runner walks in

  // The kill button, and Yes: the game is over with a score for the empty table.
  ASSERT_TRUE(test::AbortGameWithKillButton(window)) << "no kill question";
  ASSERT_TRUE(WaitFor([&] { return IniHas("Level=0"); }, 30000)) << Ini();
  SleepMs(12000);  // the end of the game is shown before the name entry
  // A bare X server gives the focus back to no one; SDL reads no pad for a window without it.
  test::FocusWindow(window);
  const std::string entry = Shot("1-name-entry.png");

  Press("dpleft");  // round the row's end to P
  Press("a");
  Press("dpdown");  // L, the nearest key below
  Press("a");
  Press("dpdown");  // the delete key
  const std::string typed = Shot("2-pl-typed-delete-highlighted.png");
  EXPECT_GT(DifferentPixels(entry, typed), 500) << "neither the name nor the highlight moved";
  Press("b");  // Backspace
  Press("dpdown");
  Press("a");  // *
  Press("start", 4000);
  ASSERT_TRUE(WaitFor([&] { return FileExists(home.File("data/KIRPO/hiscore_h.txt")); }, 5000));
  EXPECT_EQ(ReadHiScoreFile(home.File("data/KIRPO/hiscore_h.txt"))[0].Name, "P*");
  const std::string table = Shot("3-table.png");

  // Start leaves the table for the start menu; the d-pad and A pick Crazy, Back steps back.
  Press("start", 1500);
  const std::string menu = Shot("4-menu.png");
  EXPECT_GT(DifferentPixels(table, menu), 100000) << "the menu did not come up";
  Press("dpdown");
  Press("a", 800);
  Shot("5-difficulty.png");  // on Hard, the difficulty now
  Pad("lefty 30000");  // the stick as well
  SleepMs(120);
  Pad("lefty 0");
  SleepMs(300);
  Press("a", 800);
  EXPECT_TRUE(WaitFor([&] { return IniHas("Difficulty=2"); }, 3000)) << Ini();
  Press("a", 800);
  Press("back", 1500);
  Shot("6-back-to-main.png");
  Press("dpup");
  Press("start", 4000);
  EXPECT_TRUE(WaitFor([&] { return IniHas("StartMode=1"); }, 15000)) << Ini();
  EXPECT_TRUE(IniHas("StartLevel=0")) << Ini();
  Shot("7-game-crazy.png");

  Press("back", 1500);
  EXPECT_TRUE(game.Running()) << "Back never closes the program";
  test::FocusWindow(window);
  Capture("xdotool key Escape; sleep 0.3; xdotool key Return");  // in play Esc asks first
  EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
}

}  // namespace
}  // namespace kirpo
