#include "platform/FileUtil.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <tuple>

#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

TEST(FileUtilTest, TemporariesOfKilledWritesGoAndOthersStay) {
  test::TempDir dir;
  const long dead = test::DeadPid();
  const std::string own = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool stays;
  } cases[] = {
      {".kirpo.ini.kirpo" + std::to_string(dead) + ".tmp", false},
      {".image.store.kirpo" + std::to_string(dead) + ".tmp", false},
      {".kirpo.ini.kirpo1.tmp", true},  // init runs as long as the system does
      {".kirpo.ini.kirpo" + own + ".tmp", true},
      {"kirpo.ini", true},
      {".kirpo.ini.kirpo12ab.tmp", true},
      {".kirpo" + std::to_string(dead) + ".tmp", true},
      // The player's own files that merely look like temporaries, of a process that does not run.
      {"hiscore_e.txt.tmp" + std::to_string(dead), true},
      {"my-notes.tmp" + std::to_string(dead), true},
      {"notes.tmp", true},
      {".notes.tmp", true},
  };
  for (const Case& c : cases) dir.Write(c.name, "x");
  fs::create_directory(dir.File(".folder.kirpo" + std::to_string(dead) + ".tmp"));  // only files are a write's leftovers
  RemoveStaleTemporaries(dir.Path());
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir.File(c.name)), c.stays) << c.name;
  EXPECT_TRUE(fs::exists(dir.File(".folder.kirpo" + std::to_string(dead) + ".tmp")));
  EXPECT_EQ(TemporaryNameFor(dir.File("hiscore_e.txt"), dead),
            dir.File(".hiscore_e.txt.kirpo" + std::to_string(dead) + ".tmp"));
}

// A FIFO used to block the open for good, and /dev/zero was read until memory ran out.
TEST(FileUtilTest, OnlyRegularFilesAreReadAndNeverBeyondTheBound) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", dir.File("zero"));
  dir.Write("plain", std::string(1000, 'x'));
  fs::create_symlink(dir.File("plain"), dir.File("link"));
  for (const char* name : {"fifo", "zero"}) {
    auto read = std::async(std::launch::async, [&] {
      std::vector<uint8_t> bytes;
      std::string text;
      return std::make_tuple(ReadFileBytes(dir.File(name), bytes), ReadFileText(dir.File(name), text),
                             CopyFileAtomically(dir.File(name), dir.File("copy")), bytes.size());
    });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      // Release the blocked reader so that the test can end and report.
      const int fd = ::open(dir.File(name).c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      ADD_FAILURE() << name << ": the read did not return";
      read.wait();
      continue;
    }
    EXPECT_EQ(read.get(), std::make_tuple(false, false, false, size_t(0))) << name;
  }
  EXPECT_FALSE(fs::exists(dir.File("copy")));
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadFileBytes(dir.File("link"), bytes));  // a link to a file is the file
  EXPECT_EQ(bytes.size(), 1000u);
  EXPECT_TRUE(ReadFileBytes(dir.File("plain"), bytes, 10));
  EXPECT_EQ(bytes.size(), 10u);
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
