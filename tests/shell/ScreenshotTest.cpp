// F12: where the pictures go, that none is ever replaced, and what the window says meanwhile.
#include "shell/Screenshot.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "common/Consts.h"
#include "platform/Bitmap.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "shell/AppFixture.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> PicturesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct ScreenshotTest : test::AppFixture {
  std::string home = dir.Path() + "home";
  ScopedEnv home_env{"HOME", home};
  ScopedEnv config_env{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(ScreenshotTest, ThePicturesFolderIsTheDesktopsOwnElsePictures) {
  struct Case {
    const char* name;
    std::optional<std::string> user_dirs;  // the file's text; none: no file
    std::string folder;                    // below the home folder
  };
  const Case cases[] = {
      {"no user-dirs file", std::nullopt, "/Pictures/Kirpo/"},
      {"the home folder's own name", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/Bilder/Kirpo/"},
      {"among the other folders", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                  "  XDG_PICTURES_DIR=\"$HOME/Images/\"\n", "/Images/Kirpo/"},
      {"the home folder itself means none", "XDG_PICTURES_DIR=\"$HOME/\"\n", "/Pictures/Kirpo/"},
      {"a relative path is not taken", "XDG_PICTURES_DIR=\"shots\"\n", "/Pictures/Kirpo/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(home);
    if (c.user_dirs) dir.Write("home/.config/user-dirs.dirs", *c.user_dirs);
    EXPECT_EQ(ScreenshotFolder(), home + c.folder);
  }
  dir.Write("home/.config/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/shots\"\n");
  EXPECT_EQ(ScreenshotFolder(), "/srv/shots/Kirpo/");
  // XDG_CONFIG_HOME moves the file.
  dir.Write("config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
  ScopedEnv config{"XDG_CONFIG_HOME", dir.Path() + "config"};
  EXPECT_EQ(ScreenshotFolder(), home + "/Fotos/Kirpo/");
}

TEST_F(ScreenshotTest, AScreenshotNeverReplacesAFile) {
  const Bitmap picture(8, 8, 0xFF336699);
  const std::string folder = dir.Path() + "shots/Kirpo/";
  const std::time_t when = 1800000000;
  std::string why;
  // A file of another run already has the first name of this second.
  dir.Write("shots/Kirpo/" + ScreenshotName(when, 1), "mine");
  const std::string first = SaveScreenshot(picture, folder, when, &why);
  const std::string second = SaveScreenshot(picture, folder, when, &why);
  EXPECT_EQ(first, ScreenshotName(when, 2)) << why;
  EXPECT_EQ(second, ScreenshotName(when, 3)) << why;
  EXPECT_EQ(dir.Read("shots/Kirpo/" + ScreenshotName(when, 1)), "mine");
  auto back = Bitmap::Load(folder + first);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Pixel(3, 3), 0xFF336699u);
  EXPECT_EQ(PicturesIn(folder).size(), 3u) << "no temporary file is left";

  // A folder that cannot be made: a file stands where it belongs.
  dir.Write("blocked", "x");
  EXPECT_EQ(SaveScreenshot(picture, dir.Path() + "blocked/Kirpo/", when, &why), "");
  EXPECT_NE(why.find("blocked"), std::string::npos) << why;
}

TEST_F(ScreenshotTest, F12SavesAtItsPressSaysSoForTwoSecondsAndNeverStopsTheGame) {
  app->StartUp();
  app->RunUntil(12000);  // the demo plays
  const std::string folder = home + "/Pictures/Kirpo/";
  auto foot = [&] {  // the bottom left corner, where the notice shows
    auto b = host->ReadPixels();
    int yellow = 0;
    for (int y = 520; y < 600; ++y)
      for (int x = 0; x < 480; ++x) yellow += (b->Pixel(x, y) & 0xFFFFFF) == 0xFFFF00;
    return yellow;
  };
  EXPECT_EQ(foot(), 0);
  const int64_t frames = app->FrameTicks();
  Press(VK_F12, 1000);  // held: one picture
  EXPECT_GE(app->FrameTicks() - frames, 60) << "the frames went on while the picture was taken";
  ASSERT_EQ(PicturesIn(folder).size(), 1u);
  EXPECT_EQ(PicturesIn(folder)[0].rfind("kirpo-", 0), 0u);
  auto shot = Bitmap::Load(folder + PicturesIn(folder)[0]);
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Width(), 960);
  EXPECT_GT(foot(), 50) << "the notice is up";
  app->RunUntil(clock->Now() + 1100);
  EXPECT_EQ(foot(), 0) << "and gone after two seconds";

  Press(VK_F12, 50);
  app->RunUntil(clock->Now() + 50);
  Press(VK_F12, 50);
  EXPECT_EQ(PicturesIn(folder).size(), 3u) << "every press its own file";
}

}  // namespace
}  // namespace kirpo
