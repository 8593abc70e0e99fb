#include "platform/FileUtil.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

TEST(FileUtilTest, TemporariesOfKilledWritesGoAndOthersStay) {
  test::TempDir dir;
  const std::string dead = std::to_string(test::DeadPid());
  const std::string own = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool stays;
  } cases[] = {
      {"kirpo.ini.tmp" + dead, false},  {"image.store.tmp" + dead, false}, {"kirpo.ini.tmp1", true},
      {"kirpo.ini.tmp" + own, true},    {"kirpo.ini", true},              {"notes.tmp", true},
      {"kirpo.ini.tmp12ab", true},      {".tmp" + dead, true},
  };
  for (const Case& c : cases) dir.Write(c.name, "x");
  fs::create_directory(dir.File("folder.tmp" + dead));  // only files are a write's leftovers
  RemoveStaleTemporaries(dir.Path());
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir.File(c.name)), c.stays) << c.name;
  EXPECT_TRUE(fs::exists(dir.File("folder.tmp" + dead)));
}

TEST(FileUtilTest, FolderProblemsSayWhatIsWrongAndWhatToDo) {
  test::TempDir dir;
  EXPECT_EQ(ExplainFolderProblem(dir.Path()), "");
  dir.Write("file", "x");
  EXPECT_EQ(ExplainFolderProblem(dir.File("file/KIRPO/")),
            "Kirpo's data folder " + dir.File("file/KIRPO") + " cannot be made: " + dir.File("file") +
                " is a file, not a folder. Move or delete that file, then start Kirpo again.");
  EXPECT_NE(DescribeWriteError("/x/Neu48.png", ENOSPC).find("Cannot write /x/Neu48.png: No space left on device. "
                                                             "The disk is full"),
            std::string::npos);
}

}  // namespace
}  // namespace kirpo
