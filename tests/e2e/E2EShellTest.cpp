// Starts the real executable under the X server of the test run (Xvfb in CI).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

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
using test::SleepMs;
using test::Process;

int DistinctColours(const std::string& png) {
  std::unique_ptr<Bitmap> bmp = Bitmap::Load(png);
  if (!bmp) return 0;
  std::set<uint32_t> colours;
  for (int y = 0; y < bmp->Height(); y += 4)
    for (int x = 0; x < bmp->Width(); x += 4) colours.insert(bmp->Pixel(x, y) & 0xFFFFFF);
  return static_cast<int>(colours.size());
}

// The screenshot notice is yellow text on a dark box at the bottom left; nothing else is yellow
// there, on the splash or in the demo (whose door starts further right).
int NoticePixels(const std::string& png) {
  std::unique_ptr<Bitmap> bmp = Bitmap::Load(png);
  if (!bmp) return -1;
  int n = 0;
  for (int y = bmp->Height() - 60; y < bmp->Height(); ++y)
    for (int x = 0; x < std::min(240, bmp->Width()); ++x) {
      const uint32_t p = bmp->Pixel(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      n += r > 200 && g > 200 && b < 90;
    }
  return n;
}

struct E2EShellTest : ::testing::Test {
  test::TempDir home;
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
  }
  std::map<std::string, std::string> Env() const {
    return {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", home.Path()},
            {"XDG_CONFIG_HOME", home.Path() + "config"}};
  }
  void Key(const std::string& window, const std::string& key) {
    test::FocusWindow(window);
    Capture("xdotool keydown " + key + "; sleep 0.15; xdotool keyup " + key);
  }
};

TEST_F(E2EShellTest, WindowAppearsTakesAScreenshotAndClosesOnEsc) {
  home.Write("config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  Process game({KIRPO_EXE}, Env(), home.Path(), home.File("out.log"));
  ASSERT_TRUE(game.Started());
  // The window bears the game's name from the moment it exists.
  std::string first;
  for (int i = 0; i < 600 && first.empty(); ++i, SleepMs(20))
    first = Capture("xdotool search --pid " + std::to_string(game.Pid()) + " 2>/dev/null | head -n1");
  ASSERT_FALSE(first.empty()) << home.Read("out.log");
  first.pop_back();
  EXPECT_EQ(Capture("xdotool getwindowname " + first), "Kirpo written by Vambrecht\n");
  const std::string window = FindWindow("Kirpo written by Vambrecht", 30000);
  ASSERT_FALSE(window.empty()) << home.Read("out.log");
  const std::string geometry = Capture("xdotool getwindowgeometry " + window);
  EXPECT_NE(geometry.find("960x600"), std::string::npos) << geometry;
  // The window comes before the data package is unpacked, and the first picture right after it.
  EXPECT_TRUE(test::WaitFor([&] { return FileExists(home.Path() + "data/KIRPO/generatedfigures_0.txt"); }, 30000));
  auto shoot = [&](const std::string& name) { Capture("import -window " + window + " " + home.File(name)); };
  EXPECT_TRUE(test::WaitFor([&] { shoot("shot.png"); return DistinctColours(home.File("shot.png")) > 8; }, 15000))
      << "the window looks blank";
  // The splash stands still once it has faded in.
  EXPECT_TRUE(test::WaitFor([&] {
    SleepMs(300);
    shoot("settled.png");
    const bool same = test::DifferentPixels(home.File("shot.png"), home.File("settled.png")) == 0;
    std::filesystem::rename(home.File("settled.png"), home.File("shot.png"));
    return same;
  }, 5000)) << "the picture never settles";

  // The desktop's pictures folder, as xdg-user-dirs names it.
  const std::string pictures = home.Path() + "Bilder/Kirpo/";
  auto pictures_taken = [&] {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(pictures, ec)) names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  Key(window, "F12");
  ASSERT_TRUE(test::WaitFor([&] { return pictures_taken().size() == 1; }, 5000));
  EXPECT_GT(DistinctColours(pictures_taken()[0]), 8);
  Capture("import -window " + window + " " + home.File("notice.png"));
  Key(window, "F12");  // at once: the window does not stand still, and the first picture stays
  ASSERT_TRUE(test::WaitFor([&] { return pictures_taken().size() == 2; }, 1500));
  SleepMs(2500);
  Capture("import -window " + window + " " + home.File("after.png"));
  EXPECT_EQ(NoticePixels(home.File("shot.png")), 0);
  EXPECT_GT(NoticePixels(home.File("notice.png")), 100) << "no notice";
  EXPECT_EQ(NoticePixels(home.File("after.png")), 0) << "the notice stayed";

  Key(window, "Escape");
  EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
  EXPECT_NE(home.Read("data/KIRPO/kirpo.ini").find("Level=0\r\n"), std::string::npos);
  EXPECT_TRUE(FileExists(home.Path() + "data/KIRPO/image.store"));
}

TEST_F(E2EShellTest, WithoutThePackageTheProgramEndsWithCodeTwo) {
  // A copy of the executable in a folder without the data package, and an empty data folder.
  fs::create_directories(home.Path() + "bin");
  fs::copy_file(KIRPO_EXE, home.Path() + "bin/kirpo");
  fs::permissions(home.Path() + "bin/kirpo", fs::perms::owner_all);
  auto env = Env();
  env["SDL_VIDEODRIVER"] = "dummy";  // no dialog to wait for: the message goes to stderr
  Process game({home.Path() + "bin/kirpo"}, env, home.Path(), home.File("out.log"));
  EXPECT_EQ(game.Wait(30000), 2);
  const std::string out = home.Read("out.log");
  EXPECT_NE(out.find("File exists: No"), std::string::npos) << out;
  EXPECT_NE(out.find("ERROR - Installation cannot proceed!"), std::string::npos) << out;
  EXPECT_FALSE(FileExists(home.Path() + "data/KIRPO/generatedfigures_0.txt"));
  // The report outlives the dialog: the message names the file that keeps it.
  const std::string report = home.Path() + "data/KIRPO/kirpo-install-report.txt";
  EXPECT_NE(out.find("This report is also saved in the file\r\n" + report), std::string::npos) << out;
  EXPECT_NE(home.Read("data/KIRPO/kirpo-install-report.txt").find("File exists: No"), std::string::npos);
}

TEST_F(E2EShellTest, WithoutADisplayTheProgramEndsAtOnce) {
  // The environment of the child is ours plus Env(); DISPLAY is overridden with no server, and
  // SDL_VIDEODRIVER is not named, so SDL would otherwise fall back to an invisible driver.
  for (const char* display : {"", ":93"}) {
    auto env = Env();
    env["DISPLAY"] = display;
    env["WAYLAND_DISPLAY"] = "";
    env["SDL_VIDEODRIVER"] = "";
    Process game({KIRPO_EXE}, env, home.Path(), home.File("out.log"));
    EXPECT_EQ(game.Wait(20000), 1) << display;
    const std::string out = home.Read("out.log");
    EXPECT_NE(out.find("Kirpo cannot open its window: no display found"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(home.Path() + "data/KIRPO")) << "nothing is installed without a window";
  }
}

}  // namespace
}  // namespace kirpo
