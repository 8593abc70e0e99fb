// The real executable as a desktop program: signals, full screen and the remembered window.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

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
using test::WindowSize;

const char* const kTitle = "Kirpo written by Vambrecht";

struct E2EDesktopTest : ::testing::Test {
  test::TempDir home;
  // Full screen and window placement are the window manager's business; a bare X server ignores them.
  std::unique_ptr<Process> window_manager;
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
    std::string openbox = Capture("command -v openbox");
    if (openbox.empty()) GTEST_SKIP() << "needs openbox (tools/ci/setup-debian.sh)";
    openbox.pop_back();  // the line break
    window_manager = std::make_unique<Process>(std::vector<std::string>{openbox},
                                               std::map<std::string, std::string>{{"HOME", home.Path()}}, home.Path());
    for (int i = 0; i < 50 && Capture("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") == std::string::npos; ++i)
      SleepMs(100);
  }
  std::map<std::string, std::string> Env() const {
    return {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", home.Path()}};
  }
  std::string Ini() const { return home.Read("data/KIRPO/kirpo.ini"); }
  void Tap(const std::string& window, const std::string& keys) {
    test::FocusWindow(window);
    Capture("xdotool key --clearmodifiers " + keys);
  }
  // Polls the window's size until it is the wanted one or time runs out; returns the last one seen.
  static std::string SizeBecomes(const std::string& window, const std::string& wanted) {
    std::string size;
    for (int i = 0; i < 30 && (size = WindowSize(window)) != wanted; ++i) SleepMs(100);
    return size;
  }
};

TEST_F(E2EDesktopTest, SigtermClosesInOrderAndSecondSignalEndsAtOnce) {
  home.Write("data/KIRPO/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  {
    Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
    ASSERT_FALSE(FindWindow(kTitle, 30000).empty()) << home.Read("out.log");
    SleepMs(1000);
    ::kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
    EXPECT_NE(Ini().find("Level=0\r\n"), std::string::npos) << Ini();
  }
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out2.log"));
  ASSERT_FALSE(FindWindow(kTitle, 30000).empty()) << home.Read("out2.log");
  ::kill(game.Pid(), SIGINT);
  SleepMs(100);  // two signals sent together arrive as one
  ::kill(game.Pid(), SIGINT);
  EXPECT_EQ(game.Wait(15000), 128 + SIGINT);
}

TEST_F(E2EDesktopTest, AnotherWindowTakingTheFocusPausesTheGameUntilThePlayerGoesOn) {
  home.Write("data/KIRPO/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  const std::string window = FindWindow(kTitle, 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  test::FocusWindow(window);
  SleepMs(4000);  // faded in, the level clock runs
  auto shot = [&](const std::string& name) {
    Capture("import -window " + window + " " + home.File(name));
    return home.File(name);
  };
  const std::string a = shot("a.png");
  SleepMs(1200);
  ASSERT_GT(DifferentPixels(a, shot("b.png")), 0) << "the game is not running";

  Process other({"/usr/bin/xmessage", "-geometry", "+0+0", "another program"}, {}, home.Path());
  const std::string other_window = FindWindow("xmessage", 10000);
  ASSERT_FALSE(other_window.empty());
  test::FocusWindow(other_window);
  SleepMs(1500);
  const std::string c = shot("c.png");
  SleepMs(1200);
  EXPECT_EQ(DifferentPixels(c, shot("d.png")), 0) << "paused: nothing moves, the clock stands";

  test::FocusWindow(window);
  SleepMs(1500);
  EXPECT_EQ(DifferentPixels(c, shot("e.png")), 0) << "coming back does not go on by itself";
  Tap(window, "F5");
  SleepMs(1500);
  const std::string f = shot("f.png");
  SleepMs(1200);
  EXPECT_GT(DifferentPixels(f, shot("g.png")), 0) << "F5 goes on";
  Tap(window, "Escape");  // in play Esc asks first, and Enter ends
  SleepMs(300);
  Tap(window, "Return");
  EXPECT_EQ(game.Wait(15000), 0);
}

TEST_F(E2EDesktopTest, TheKillButtonsQuestionCancelledWithEscGoesBackToTheGame) {
  home.Write("data/KIRPO/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  const std::string window = FindWindow(kTitle, 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  test::FocusWindow(window);
  SleepMs(5000);  // faded in, the runner has walked onto the field
  // The reserve cooks in the head-up display's top left corner.
  auto cooks = [&](const std::string& name) {
    Capture("import -window " + window + " -crop 300x85+0+0 +repage " + home.File(name));
    return home.File(name);
  };
  const std::string before = cooks("before.png");
  Capture("xdotool mousemove --window " + window + " 896 200; sleep 0.3; xdotool mousedown 1; sleep 0.15; " +
          "xdotool mouseup 1");
  std::string dialog;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        dialog = Capture("xwininfo -root -tree | grep '\"Kirpo\":' | awk '{print $1}' | head -n1");
        return dialog.size() > 2;
      },
      10000));
  dialog.pop_back();
  Capture("xdotool windowfocus --sync " + dialog + " 2>/dev/null; xdotool key Escape");
  ASSERT_TRUE(test::WaitFor(
      [&] { return Capture("xwininfo -root -tree | grep '\"Kirpo\":'").empty(); }, 5000))
      << "Esc did not close the question";
  SleepMs(3000);  // a killed cook's place would have been taken by the next one by now
  EXPECT_EQ(DifferentPixels(before, cooks("after.png")), 0) << "a cook was lost";
  EXPECT_TRUE(game.Running());
  test::FocusWindow(window);
  Tap(window, "Escape");
  SleepMs(300);
  Tap(window, "Escape");
  EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
}

TEST_F(E2EDesktopTest, F11TogglesFullScreenAndARestartComesBackTheWayItWasLeft) {
  const std::string screen = "1280x800";  // the test script's Xvfb screen
  {
    Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
    const std::string window = FindWindow(kTitle, 30000);
    ASSERT_FALSE(window.empty()) << home.Read("out.log");
    Capture("xdotool windowsize --sync " + window + " 800 500");
    ASSERT_EQ(SizeBecomes(window, "800x500"), "800x500");
    SleepMs(1500);
    Tap(window, "F11");
    EXPECT_EQ(SizeBecomes(window, screen), screen);
    Tap(window, "F11");
    EXPECT_EQ(SizeBecomes(window, "800x500"), "800x500") << "leaving full screen restores the window's size";
    Tap(window, "alt+Return");
    EXPECT_EQ(SizeBecomes(window, screen), screen);
    Tap(window, "Escape");
    EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
  }
  const std::string ini = Ini();
  EXPECT_NE(ini.find("FullScreen=1\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("WindowWidth=800\r\nWindowHeight=500\r\n"), std::string::npos) << ini;

  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out2.log"));
  // Full screen has no caption to find the window by.
  std::string window;
  for (int i = 0; i < 300 && window.empty(); ++i, SleepMs(100))
    window = Capture("xdotool search --onlyvisible --pid " + std::to_string(game.Pid()) + " 2>/dev/null | head -n1");
  ASSERT_FALSE(window.empty()) << home.Read("out2.log");
  window.pop_back();
  EXPECT_EQ(SizeBecomes(window, screen), screen) << "a restart comes back in full screen";
  SleepMs(1500);  // Esc counts from the first second on
  Tap(window, "F11");
  EXPECT_EQ(SizeBecomes(window, "800x500"), "800x500") << "and leaves it into the remembered window";
  Tap(window, "Escape");
  EXPECT_EQ(game.Wait(15000), 0);
  EXPECT_NE(Ini().find("FullScreen=0\r\n"), std::string::npos);
}

// X takes a size modulo 65536: a width of 999999999 was a black window 51711 pixels wide, stored again at close.
TEST_F(E2EDesktopTest, AStoredSizeBeyondTheDisplayIsCutToItAndStoredSo) {
  home.Write("data/KIRPO/kirpo.ini",
             "FullScreen=0\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=999999999\r\nWindowHeight=999999999\r\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  const std::string window = FindWindow(kTitle, 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  SleepMs(2500);
  int w = 0, h = 0;
  ASSERT_EQ(std::sscanf(test::WindowSize(window).c_str(), "%dx%d", &w, &h), 2) << test::WindowSize(window);
  EXPECT_LE(w, 1280);
  EXPECT_LE(h, 800);
  EXPECT_GE(w, 320);
  Tap(window, "Escape");
  EXPECT_EQ(game.Wait(15000), 0);
  const std::string ini = Ini();
  const size_t at = ini.find("WindowWidth=");
  ASSERT_NE(at, std::string::npos) << ini;
  EXPECT_LE(std::atoi(ini.c_str() + at + 12), 1280) << ini;
}

TEST_F(E2EDesktopTest, AWindowPositionOffEveryDisplayIsNotUsed) {
  home.Write("data/KIRPO/kirpo.ini",
             "FullScreen=0\r\nWindowLeft=5000\r\nWindowTop=4000\r\nWindowWidth=700\r\nWindowHeight=450\r\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  const std::string window = FindWindow(kTitle, 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  EXPECT_EQ(SizeBecomes(window, "700x450"), "700x450");
  SleepMs(2000);
  const std::string geometry = Capture("xdotool getwindowgeometry " + window);
  EXPECT_EQ(geometry.find("5000"), std::string::npos) << geometry;
  Tap(window, "Escape");
  EXPECT_EQ(game.Wait(15000), 0);
}

}  // namespace
}  // namespace kirpo
