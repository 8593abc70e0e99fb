// A new player's whole journey in the real executable under Xvfb: from the attract mode into the
// start menu, Hard picked, a new game won on its first level and aborted on the second with the
// kill button, the name typed on the keyboard, and the table with the name lit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>

#include "platform/Bitmap.h"
#include "platform/FileUtil.h"
#include "support/Process.h"
#include "support/X11.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;
using test::Capture;
using test::FindWindow;
using test::Process;
using test::SleepMs;
using test::WaitFor;

// Pixels of about this colour in the picture.
int CountColour(const std::string& png, uint32_t rgb) {
  auto bmp = Bitmap::Load(png);
  if (!bmp) return -1;
  int n = 0;
  for (int y = 0; y < bmp->Height(); ++y)
    for (int x = 0; x < bmp->Width(); ++x) {
      const uint32_t p = bmp->Pixel(x, y);
      bool near = true;
      for (int shift = 0; shift < 24; shift += 8)
        near = near && std::abs(int((p >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) <= 10;
      n += near;
    }
  return n;
}

struct E2EHiScoreTest : ::testing::Test {
  test::TempDir home;
  std::string window;
  // The screenshots stay with the build for a person to look at.
  const std::string artefacts = std::string(KIRPO_BINARY_DIR) + "/e2e-artefacts/hiscore/";

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
    fs::create_directories(artefacts);
  }
  void Shot(const std::string& name) { Capture("import -window " + window + " " + artefacts + name); }
  void Focus() { Capture("xdotool windowfocus --sync " + window + " 2>/dev/null"); }
  void Key(const std::string& key, int after_ms = 400) {
    Focus();
    Capture("xdotool keydown " + key + "; sleep 0.12; xdotool keyup " + key);
    SleepMs(after_ms);
  }
  void Hold(const std::string& key, int ms) {
    Focus();
    Capture("xdotool keydown " + key);
    SleepMs(ms);
    Capture("xdotool keyup " + key);
  }
  std::string Ini() { return home.Read("data/KIRPO/kirpo.ini"); }
  // The settings file holds this whole line.
  bool IniHas(const std::string& line) { return ("\n" + Ini()).find("\n" + line + "\r\n") != std::string::npos; }
};

TEST_F(E2EHiScoreTest, ANewPlayersNameGoesIntoTheHardTableAndLightsUpThere) {
  Process game({KIRPO_EXE}, {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}}, home.Path(),
               home.File("out.log"));
  window = FindWindow("Kirpo written by Vambrecht", 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  SleepMs(4000);

  Key("Return", 2000);  // the attract mode waits 750 ms, then the start menu
  Shot("1-start-menu.png");
  Key("Down");
  Key("Return", 800);
  Shot("2-difficulty.png");
  Key("Down");
  Key("Return");  // Hard
  Key("Up");
  Key("Return");  // New Game
  ASSERT_TRUE(WaitFor([&] { return IniHas("StartMode=1"); }, 15000)) << Ini();
  EXPECT_TRUE(IniHas("Difficulty=1")) << Ini();

  // The first level: three cells down to the shelf, then right until the blue ball is on the door.
  SleepMs(4500);  // the runner walks in
  Hold("Down", 1500);
  Hold("Right", 5000);
  // The second level begins once the bonus is counted: the game is saved as a next level.
  ASSERT_TRUE(WaitFor([&] { return IniHas("StartMode=4"); }, 60000)) << Ini();
  SleepMs(5000);  // the next runner walks in

  // The kill button, and Yes.
  ASSERT_TRUE(test::AbortGameWithKillButton(window)) << "no kill question";

  // The game is over with a score for the empty table: the name entry opens.
  ASSERT_TRUE(WaitFor([&] { return IniHas("Level=0"); }, 30000)) << Ini();
  SleepMs(1500);
  Shot("3-name-entry.png");
  Focus();
  Capture("xdotool type --delay 150 zoe; xdotool key underscore; xdotool type --delay 150 k");
  SleepMs(500);
  Shot("4-name-typed.png");
  Key("Return", 500);
  ASSERT_TRUE(WaitFor([&] { return FileExists(home.File("data/KIRPO/hiscore_h.txt")); }, 5000));
  // The table with the new row lit comes at once (as soon as the attract mode's level is loaded).
  EXPECT_TRUE(WaitFor([&] { Shot("5-table.png"); return CountColour(artefacts + "5-table.png", 0xADFF2F) > 100; }, 3000))
      << "the new row is not lit";
  Key("Return", 300);  // the natural second Enter does not skip the new row
  Shot("6-table-still.png");

  const std::string file = home.Read("data/KIRPO/hiscore_h.txt");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(file, m, std::regex(R"(^ZOE K\r\n([1-9][0-9]*)\r\n\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\r\n)")))
      << file;
  std::string rest = file.substr(static_cast<size_t>(m.length(0)));
  std::string empty;
  for (int i = 1; i < 10; ++i) empty += "\r\n0\r\n\r\n";
  EXPECT_EQ(rest, empty);
  EXPECT_GT(CountColour(artefacts + "6-table-still.png", 0xADFF2F), 100) << "a second Enter skipped the table";

  Key("Escape");
  EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
  std::fprintf(stderr, "OUTLOG\n%s\n", home.Read("out.log").c_str());
}

}  // namespace
}  // namespace kirpo
