// Broken level files end the real program with their message and exit code, never a crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct Case {
  const char* what;
  const char* ini;        // settings that pick the level to load at start-up
  const char* level_file; // file name written into the data folder
  const char* content;    // nullptr: remove the file
  int code;
  const char* message;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class E2ELevelErrorTest : public ::testing::TestWithParam<Case> {};

TEST_P(E2ELevelErrorTest, EndsWithMessageAndCode) {
  const Case& c = GetParam();
  test::TempDir home;
  const std::string data = home.Path() + "data/KIRPO/";
  fs::create_directories(data);
  for (const auto& e : fs::directory_iterator(fs::path(KIRPO_SOURCE_DIR) / "assets"))
    fs::copy_file(e.path(), data + e.path().filename().string());
  if (*c.ini) home.Write("data/KIRPO/kirpo.ini", c.ini);
  if (c.content) home.Write(std::string("data/KIRPO/") + c.level_file, c.content);
  else fs::remove(data + c.level_file);

  test::Process game({KIRPO_EXE},
                     {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_VIDEODRIVER", "dummy"},
                      {"SDL_AUDIODRIVER", "dummy"}},
                     home.Path(), home.File("out.log"));
  EXPECT_EQ(game.Wait(60000), c.code) << c.what << "\n" << home.Read("out.log");
  const std::string out = home.Read("out.log");
  EXPECT_NE(out.find(c.message), std::string::npos) << c.what << "\n" << out;
  EXPECT_EQ(out.find("AddressSanitizer"), std::string::npos) << out;
  EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
}

// A stored game whose level file is missing used to end this and every later start with code 69; now the
// program leaves it and starts into the attract mode.
TEST(E2ELevelResumeTest, AStoredGameWithoutItsLevelFileIsNotResumed) {
  test::TempDir home;
  const std::string data = home.InstallAssets("data/KIRPO");
  home.Write("data/KIRPO/kirpo.ini", "Level=3\r\nStartLevel=3\r\nRunner=4\r\nScore=0\r\nStartMode=2\r\n");
  fs::remove(data + "generatedfigures_3.txt");
  test::Process game({KIRPO_EXE},
                     {{"XDG_DATA_HOME", home.Path() + "data"}, {"SDL_VIDEODRIVER", "dummy"},
                      {"SDL_AUDIODRIVER", "dummy"}},
                     home.Path(), home.File("out.log"));
  EXPECT_EQ(game.Wait(8000), -1) << "the program ended\n" << home.Read("out.log");
  const std::string out = home.Read("out.log");
  EXPECT_EQ(out.find("File not found"), std::string::npos) << out;
}


INSTANTIATE_TEST_SUITE_P(
    E2EBrokenLevels, E2ELevelErrorTest,
    ::testing::Values(
        Case{"unknown type", "", "generatedfigures_0.txt",
             "Typ=stein,X=0,Y=0,Ebene=1,Hoehe=1,Richtung=null,FigNr=41,IVTime=0\r\nTyp=bogus,X=0\r\n", 77,
             "CreateLevelSprites: Falscher Typ in GeneratedFigures-0.txt, Typ=bogus"},
        Case{"blank line", "", "generatedfigures_0.txt",
             "Typ=stein,X=0,Y=0,Ebene=1,Hoehe=1,Richtung=null,FigNr=41,IVTime=0\r\n\r\nTyp=BACKGROUND\r\n", 77,
             "Falscher Typ in GeneratedFigures-0.txt, Typ=\n"},
        Case{"unknown direction of a monster in the demo", "", "generatedfigures_0.txt",
             "Typ=gmonster,X=104,Y=104,Ebene=1,Hoehe=1,Richtung=Oben,FigNr=13,IVTime=0\r\n", 77,
             "GetRichtungIndex: Falsche Richtung in GeneratedFigures-0.txt, R=Oben"},
        Case{"number that is not one", "", "generatedfigures_0.txt",
             "Typ=stein,X=abc,Y=0,Ebene=1,Hoehe=1,Richtung=null,FigNr=41,IVTime=0\r\n", 78, "X=abc"}),
    [](const ::testing::TestParamInfo<Case>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

}  // namespace
}  // namespace kirpo
