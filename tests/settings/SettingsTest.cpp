#include "settings/Settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileUtil.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct SettingsTest : ::testing::Test {
  test::TempDir dir;
  Settings ini{dir.File("kirpo.ini")};
};

TEST_F(SettingsTest, MissingFileReadsEmptyAndDefaults) {
  EXPECT_EQ(ini.ReadIni("Difficulty"), "");
  EXPECT_EQ(ini.ReadInt("Difficulty", 0), 0);
  EXPECT_EQ(ini.ReadInt("ProceedLevel", -1), -1);
}

TEST_F(SettingsTest, WritesKeepPositionsAppendNewKeysAndEndLinesWithCrLf) {
  ASSERT_TRUE(ini.WriteIni("Level", "3"));
  ASSERT_TRUE(ini.WriteIni("StartLevel", "1"));
  ASSERT_TRUE(ini.WriteIni("Level", "4"));
  EXPECT_EQ(dir.Read("kirpo.ini"), "Level=4\r\nStartLevel=1\r\n");
}

TEST_F(SettingsTest, KeysMatchWholeAndIgnoringCase) {
  // A key inside another key's name must not match: "Level" is not "StartLevel" or "ProceedLevel".
  dir.Write("kirpo.ini", "StartLevel=5\r\nProceedLevel=9\r\nlevel=7\r\n");
  EXPECT_EQ(ini.ReadIni("Level"), "7");
  EXPECT_EQ(ini.ReadIni("LEVEL"), "7");
  ASSERT_TRUE(ini.WriteIni("Level", "0"));
  EXPECT_EQ(dir.Read("kirpo.ini"), "StartLevel=5\r\nProceedLevel=9\r\nLevel=0\r\n");
}

TEST_F(SettingsTest, AByteOrderMarkDoesNotHideTheFirstKey) {
  dir.Write("kirpo.ini", "\xEF\xBB\xBF" "Difficulty=2\r\nLevel=5\r\n");
  EXPECT_EQ(ini.ReadInt("Difficulty", 0), 2);
  ASSERT_TRUE(ini.WriteIni("Difficulty", "1"));
  EXPECT_EQ(dir.Read("kirpo.ini"), "Difficulty=1\r\nLevel=5\r\n");

  // Marks saved over and over: a write must not uncover a line that then shadows what it wrote.
  dir.Write("kirpo.ini", "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF" "Score=");
  ASSERT_TRUE(ini.WriteIni("Level", "0"));
  ASSERT_TRUE(ini.WriteIni("Score", "-12345"));
  EXPECT_EQ(ini.ReadIni("Score"), "-12345");
  EXPECT_EQ(dir.Read("kirpo.ini"), "Score=-12345\r\nLevel=0\r\n");
}

TEST_F(SettingsTest, ValuesAreReadAsTheyStandAndNumbersFallBack) {
  dir.Write("kirpo.ini", "Score = 12\nRunner=abc\nName=a=b\nBig=" + std::string(12000, 'x') + "\n");
  EXPECT_EQ(ini.ReadInt("Score", -1), 12);  // blanks around a hand-edited entry are tolerated
  EXPECT_EQ(ini.ReadInt("Runner", -1), -1);
  EXPECT_EQ(ini.ReadIni("Name"), "a=b");
  EXPECT_EQ(ini.ReadIni("Big").size(), 9999u);
  EXPECT_EQ(ini.ReadInt("Missing", 42), 42);
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileByteIdentical) {
  const std::string original = "Difficulty=2\r\nLevel=5\r\n";
  dir.Write("kirpo.ini", original);
  // A folder in the way of the temporary file makes the write fail as a full disk would,
  // also for root.
  const std::string blocker = TemporaryNameFor(dir.File("kirpo.ini"), ::getpid());
  std::filesystem::create_directory(blocker);
  EXPECT_FALSE(ini.WriteIni("Level", "0"));
  EXPECT_EQ(dir.Read("kirpo.ini"), original);
  std::filesystem::remove(blocker);
  EXPECT_TRUE(ini.WriteIni("Level", "0"));
  EXPECT_EQ(dir.Read("kirpo.ini"), "Difficulty=2\r\nLevel=0\r\n");
}

TEST_F(SettingsTest, UnreadableTargetIsNeverReplaced) {
  std::filesystem::create_directory(dir.File("kirpo.ini"));  // a folder where the file should be
  EXPECT_FALSE(ini.WriteIni("Level", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("kirpo.ini")));
  EXPECT_EQ(ini.ReadIni("Level"), "");
  EXPECT_EQ(ini.Problem(), dir.File("kirpo.ini") + " is a folder, not a file: move or delete that folder so that "
                                                   "Kirpo's settings can be saved.");
}

// A 50 MB file used to be read whole for every key: the first picture came after 18 s.
TEST_F(SettingsTest, AnOversizedFileIsKeptOnceAndTheDefaultsAreUsed) {
  const std::string huge = "Difficulty=2\r\n" + std::string(3 << 20, 'x') + "\r\nLevel=5\r\n";
  dir.Write("kirpo.ini", huge);
  EXPECT_EQ(ini.ReadInt("Difficulty", 0), 0);
  EXPECT_EQ(ini.ReadIni("Level"), "");
  ASSERT_TRUE(std::filesystem::exists(dir.File("kirpo.ini.bad")));
  const auto kept_at = std::filesystem::last_write_time(dir.File("kirpo.ini.bad"));
  EXPECT_EQ(ini.ReadInt("Difficulty", 0), 0);
  EXPECT_EQ(std::filesystem::last_write_time(dir.File("kirpo.ini.bad")), kept_at) << "copied again";
  EXPECT_TRUE(ini.WriteIni("Level", "0"));
  EXPECT_EQ(dir.Read("kirpo.ini"), "Level=0\r\n");
  EXPECT_EQ(dir.Read("kirpo.ini.bad"), huge);
  EXPECT_EQ(ini.Problem(), "");
}

TEST(ParseIntTest, AcceptsOnlyWholeDecimalNumbers) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {{"0", true, 0},   {"-1", true, -1},   {"+7", true, 7},        {"2147483647", true, 2147483647},
               {"", false, 0},   {"-", false, 0},    {"1.5", false, 0},      {"12a", false, 0},
               {" 1", false, 0}, {"99999999999", false, 0}};
  for (const Case& c : cases) {
    int v = 0;
    EXPECT_EQ(ParseInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace kirpo
