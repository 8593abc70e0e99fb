// Hostile surroundings for the real executable: what is in the data folder, a second game on it,
// close signals while a dialog is up, and a window manager that starts together with the game.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/Process.h"
#include "support/TempDir.h"
#include "support/X11.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;
using test::Capture;
using test::Process;
using test::SleepMs;

constexpr const char* kTitle = "Kirpo written by Vambrecht";

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Every file of the folder with its bytes (a FIFO or folder by its kind only).
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string content = "(other)";
    if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      content = ss.str();
    }
    files[e.path().filename().string()] = content;
  }
  return files;
}

struct E2EHardeningTest : ::testing::Test {
  test::TempDir home;
  std::string data;
  void SetUp() override { data = home.InstallAssets("data/KIRPO"); }
  // Headless: the message boxes go to stderr.
  std::map<std::string, std::string> Headless() const {
    return {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"},
            {"HOME", home.Path()}};
  }
  std::map<std::string, std::string> Windowed() const {
    return {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", home.Path()}};
  }
  static bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }
};

// A FIFO stood where a data file belongs: the open waited for a writer for good, and neither Esc nor
// SIGTERM ended the game. Every later start hung the same way.
TEST_F(E2EHardeningTest, AFifoInPlaceOfADataFileNeitherHangsTheStartNorTheClose) {
  for (const char* name : {"recordings_0.txt", "count_money.wav"}) {
    SCOPED_TRACE(name);
    fs::remove(data + name);
    ASSERT_EQ(::mkfifo((data + name).c_str(), 0644), 0);
    Process game({KIRPO_EXE}, Headless(), home.Path(), home.File("out.log"));
    SleepMs(4000);  // past the start and the moment the sounds are loaded
    ASSERT_TRUE(game.Running()) << home.Read("out.log");
    ::kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.Wait(8000), 0) << home.Read("out.log");
    fs::remove(data + name);
    fs::copy_file(fs::path(KIRPO_SOURCE_DIR) / "assets" / name, data + name);
  }
}

// Two games on one folder saved their high-score tables over each other, and the close of one
// cleared the saved game of the other. A second start now says so, and changes nothing.
TEST_F(E2EHardeningTest, ASecondGameOnTheSameDataFolderSaysSoAndWritesNothing) {
  Process first({KIRPO_EXE}, Headless(), home.Path(), home.File("first.log"));
  ASSERT_TRUE(test::WaitFor([&] { return fs::exists(data + "kirpo.ini") && fs::exists(data + "image.store"); }, 30000))
      << home.Read("first.log");
  SleepMs(2500);  // the start's writes are done
  const auto before = Snapshot(data);
  Process second({KIRPO_EXE}, Headless(), home.Path(), home.File("second.log"));
  EXPECT_EQ(second.Wait(20000), 3) << home.Read("second.log");
  const std::string said = home.Read("second.log");
  EXPECT_NE(said.find("Kirpo is already running with the data folder " + data), std::string::npos) << said;
  EXPECT_EQ(Snapshot(data), before);
  EXPECT_TRUE(first.Running()) << "the second start brought the first down";
  ::kill(first.Pid(), SIGTERM);
  EXPECT_EQ(first.Wait(8000), 0) << home.Read("first.log");

  // The folder is free again once the game has gone, whichever way it went.
  Process third({KIRPO_EXE}, Headless(), home.Path(), home.File("third.log"));
  SleepMs(3000);
  ASSERT_TRUE(third.Running()) << home.Read("third.log");
  ::kill(third.Pid(), SIGKILL);
  third.Wait(5000);
  Process fourth({KIRPO_EXE}, Headless(), home.Path(), home.File("fourth.log"));
  SleepMs(3000);
  EXPECT_TRUE(fourth.Running()) << home.Read("fourth.log");
  ::kill(fourth.Pid(), SIGTERM);
  EXPECT_EQ(fourth.Wait(8000), 0) << home.Read("fourth.log");
}

// A folder named kirpo.ini: nothing was ever kept, and nothing said why.
TEST_F(E2EHardeningTest, AFolderInPlaceOfTheSettingsIsToldOnce) {
  fs::create_directories(data + "kirpo.ini/inside");
  Process game({KIRPO_EXE}, Headless(), home.Path(), home.File("out.log"));
  SleepMs(4000);
  ASSERT_TRUE(game.Running()) << home.Read("out.log");
  ::kill(game.Pid(), SIGTERM);
  EXPECT_EQ(game.Wait(8000), 0) << home.Read("out.log");
  const std::string out = home.Read("out.log");
  EXPECT_EQ(Count(out, data + "kirpo.ini is a folder, not a file: move or delete that folder so that Kirpo's "
                              "settings can be saved."),
            1)
      << out;
  EXPECT_TRUE(fs::is_directory(data + "kirpo.ini/inside"));
}

// A close signal while a dialog was up was not acted on: the dialog's own loop waits in the window
// system, and only a second signal ended the program.
TEST_F(E2EHardeningTest, OneCloseSignalEndsTheProgramWhileADialogIsUp) {
  if (!HasDisplay()) GTEST_SKIP() << "needs an X display (the test script runs Xvfb)";
  struct Case {
    const char* what;
    int code;
  } cases[] = {{"the installation error", 2}, {"a broken level file", 77}, {"the kill button's question", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir own;
    const std::string folder = own.InstallAssets("data/KIRPO");
    std::string exe = KIRPO_EXE;
    if (c.code == 2) {
      // A copy of the executable without the data package next to it, and an empty data folder.
      fs::remove_all(folder);
      fs::create_directories(own.Path() + "bin");
      fs::copy_file(KIRPO_EXE, own.Path() + "bin/kirpo");
      fs::permissions(own.Path() + "bin/kirpo", fs::perms::owner_all);
      exe = own.Path() + "bin/kirpo";
    } else if (c.code == 77) {
      // The same message box and way out as "File not found" (code 69), reached without any key.
      own.Write("data/KIRPO/generatedfigures_0.txt", "Typ=bogus,X=0\r\n");
    } else {
      own.Write("data/KIRPO/kirpo.ini", "Level=1\r\nStartLevel=0\r\nRunner=2\r\nScore=500\r\nStartMode=2\r\n");
    }
    Process game({exe},
                 {{"XDG_DATA_HOME", own.Path() + "data"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", own.Path()}},
                 own.Path(), own.File("out.log"));
    std::string dialog;
    if (c.code == 0) {
      const std::string window = test::FindWindow(kTitle, 30000);
      ASSERT_FALSE(window.empty()) << own.Read("out.log");
      SleepMs(6000);  // the runner walks in; the kill button waits for it
      dialog = test::AskWithKillButton(window);
    } else {
      dialog = test::FindDialog(30000);
    }
    ASSERT_FALSE(dialog.empty()) << "no dialog came\n" << own.Read("out.log");
    ASSERT_TRUE(game.Running()) << own.Read("out.log");
    SleepMs(300);
    ::kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.Wait(1500), c.code) << own.Read("out.log");
    if (c.code == 0) {
      const std::string ini = own.Read("data/KIRPO/kirpo.ini");
      EXPECT_NE(ini.find("Level=0\r\n"), std::string::npos) << "the stored game is closed as Esc does\n" << ini;
      EXPECT_NE(ini.find("WindowWidth=960\r\n"), std::string::npos) << ini;
    }
    // The next case must not find this dialog, which may outlive its process a moment.
    EXPECT_TRUE(test::WaitFor([] { return test::FindDialog(0).empty(); }, 5000));
  }
}

// A window manager starting at the same moment as the game (a session's autostart) left the game
// waiting for its window to be mapped for good, before its first picture, deaf to SIGTERM.
TEST_F(E2EHardeningTest, AWindowManagerStartingTogetherWithTheGameDoesNotStopIt) {
  if (!fs::exists("/usr/bin/Xvfb") || !fs::exists("/usr/bin/openbox")) GTEST_SKIP() << "needs Xvfb and openbox";
  // A server of its own: the test script's may already have a window manager.
  const std::string display = ":" + std::to_string(150 + ::getpid() % 700);
  Process server({"/usr/bin/Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, {}, home.Path(),
                 home.File("xvfb.log"));
  const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
  ASSERT_TRUE(test::WaitFor([&] { return fs::exists(socket); }, 10000)) << home.Read("xvfb.log");
  auto env = Windowed();
  env["DISPLAY"] = display;
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Process wm({"/usr/bin/openbox"}, {{"DISPLAY", display}}, home.Path(), home.File("openbox.log"));
    Process game({KIRPO_EXE}, env, home.Path(), home.File("out.log"));
    const bool shown = test::WaitFor(
        [&] {
          return !Capture("DISPLAY=" + display + " xdotool search --onlyvisible --name '" + kTitle + "' 2>/dev/null")
                      .empty();
        },
        20000);
    EXPECT_TRUE(shown) << "the window never showed\n" << home.Read("out.log");
    ::kill(game.Pid(), SIGTERM);
    EXPECT_EQ(game.Wait(15000), 0) << home.Read("out.log");
    ::kill(wm.Pid(), SIGTERM);
    wm.Wait(5000);
  }
  ::kill(server.Pid(), SIGTERM);
  server.Wait(5000);
}

}  // namespace
}  // namespace kirpo
