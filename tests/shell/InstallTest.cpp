#include "shell/Install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct Entry {
  std::string name;
  std::string content;
  bool symlink = false;
};

void MakeZip(const std::string& path, const std::vector<Entry>& entries) {
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr);
  for (const Entry& e : entries) {
    zip_source_t* src = zip_source_buffer(za, e.content.data(), e.content.size(), 0);
    const zip_int64_t i = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
    ASSERT_GE(i, 0) << e.name;
    if (e.symlink)
      zip_file_set_external_attributes(za, static_cast<zip_uint64_t>(i), 0, ZIP_OPSYS_UNIX,
                                       static_cast<zip_uint32_t>(S_IFLNK | 0777) << 16);
  }
  ASSERT_EQ(zip_close(za), 0);
}

// Overwrites a 4-byte field of the first entry in both its local and its central header.
void PatchFirstEntry(std::vector<uint8_t>& zip, size_t local_offset, size_t central_offset, uint32_t value) {
  auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(local_offset);  // the first local header starts the file
  for (size_t i = 0; i + 4 < zip.size(); ++i)
    if (zip[i] == 'P' && zip[i + 1] == 'K' && zip[i + 2] == 1 && zip[i + 3] == 2) return put(i + central_offset);
}

struct InstallTest : ::testing::Test {
  test::TempDir root;
  std::string exe_dir = root.Path() + "bin/";
  std::string data_dir = root.Path() + "data/KIRPO/";
  void SetUp() override {
    fs::create_directories(exe_dir);
    fs::create_directories(data_dir);
  }
  std::string Package() const { return exe_dir + PackageName; }
  // Runs the check and returns the failure's message, or "" on success.
  std::string Check() {
    try {
      EXPECT_TRUE(CheckInstallation(exe_dir, data_dir));
      return "";
    } catch (const FatalErrorException& e) {
      EXPECT_EQ(e.Code(), 2);
      EXPECT_TRUE(e.ToClipboard());
      return e.what();
    }
  }
  int FilesOutsideData() const {
    int n = 0;
    for (const auto& e : fs::recursive_directory_iterator(root.Path()))
      if (e.is_regular_file() && e.path().string().rfind(data_dir, 0) != 0 && e.path() != Package()) ++n;
    return n;
  }
};

TEST_F(InstallTest, UnpacksThePackageWithItsFolders) {
  MakeZip(Package(), {{"generatedfigures_0.txt", "Typ=BACKGROUND\r\n"}, {"Neu1.png", "png"}, {"sub/x.txt", "x"}});
  EXPECT_EQ(Check(), "");
  EXPECT_TRUE(FileExists(data_dir + InstallMarker));
  EXPECT_TRUE(FileExists(data_dir + "Neu1.png"));
  EXPECT_TRUE(FileExists(data_dir + "sub/x.txt"));
  for (const auto& e : fs::directory_iterator(data_dir))  // no staging folder is left
    EXPECT_EQ(e.path().filename().string().rfind(".unpacking", 0), std::string::npos);
}

TEST_F(InstallTest, AnInstalledProgramFindsThePackageInTheSharedFolderButPrefersItsOwnFolder) {
  EXPECT_EQ(PackageDir(exe_dir), exe_dir) << "nowhere: the executable's folder is named";
  const std::string shared = (fs::path(exe_dir) / KIRPO_PACKAGE_FROM_BINDIR).lexically_normal().string() + "/";
  fs::create_directories(shared);
  MakeZip(shared + PackageName, {{"generatedfigures_0.txt", "Typ=BACKGROUND\r\n"}});
  EXPECT_EQ(PackageDir(exe_dir), shared);
  EXPECT_TRUE(CheckInstallation(PackageDir(exe_dir), data_dir));
  EXPECT_TRUE(FileExists(data_dir + InstallMarker));
  MakeZip(Package(), {{"generatedfigures_0.txt", "Typ=BACKGROUND\r\n"}});
  EXPECT_EQ(PackageDir(exe_dir), exe_dir);
}

TEST_F(InstallTest, ExistingMarkerSkipsThePackageEvenWhenItIsMissing) {
  std::string marker = "x";
  ASSERT_TRUE(WriteFileAtomically(data_dir + InstallMarker, marker.data(), marker.size()));
  EXPECT_EQ(Check(), "");
}

TEST_F(InstallTest, MissingPackageGivesTheDiagnosticLinesInOrder) {
  const std::string msg = Check();
  const std::string expected_start = "InstallPath: " + exe_dir + "\r\nFilename: kirpo_5-0-0.zip\r\nFile exists: No\r\n";
  EXPECT_EQ(msg.substr(0, expected_start.size()), expected_start);
  EXPECT_NE(msg.find("ERROR - Installation cannot proceed!\r\n"), std::string::npos);
  EXPECT_NE(msg.find("Thank you for your support!\r\n"), std::string::npos);
  EXPECT_EQ(msg.find("AppData"), std::string::npos);
}

TEST_F(InstallTest, DamagedPackagesAreRefusedWithoutWritingAnything) {
  MakeZip(Package(), {{"generatedfigures_0.txt", std::string(5000, 'a')}, {"Neu1.png", std::string(5000, 'b')}});
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFileBytes(Package(), bytes));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* expect;
  } cases[] = {
      {"truncated", std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2), "Zip is valid: No\r\n"},
      {"not a zip", std::vector<uint8_t>(100, 'x'), "Zip is valid: No\r\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileAtomically(Package(), c.bytes.data(), c.bytes.size()));
    const std::string msg = Check();
    EXPECT_NE(msg.find(std::string("AppData: ") + data_dir + "\r\n" + c.expect), std::string::npos) << c.what;
    EXPECT_EQ(msg.find("Zip open is ok"), std::string::npos) << c.what;
    EXPECT_FALSE(FileExists(data_dir + InstallMarker)) << c.what;
  }
}

TEST_F(InstallTest, EntriesThatWouldLeaveTheDataFolderAreRefused) {
  struct Case {
    Entry bad;
    const char* reason;
  } cases[] = {
      {{"../escaped.txt", "x"}, "leaves the data folder"},
      {{"sub/../../escaped.txt", "x"}, "leaves the data folder"},
      {{"/tmp/kirpo-absolute.txt", "x"}, "absolute path"},
      {{"link.txt", "/etc/passwd", true}, "symbolic link"},
  };
  for (const Case& c : cases) {
    MakeZip(Package(), {{"generatedfigures_0.txt", "level"}, {"Neu1.png", "png"}, c.bad});
    const std::string msg = Check();
    EXPECT_NE(msg.find(c.reason), std::string::npos) << c.bad.name << ": " << msg;
    EXPECT_NE(msg.find("Zip open is ok\r\n"), std::string::npos);
    EXPECT_EQ(msg.find("Zip ExtractAll is ok"), std::string::npos);
    // Nothing at all is written: not the marker, not the good entries, nothing outside.
    EXPECT_FALSE(FileExists(data_dir + InstallMarker)) << c.bad.name;
    EXPECT_FALSE(FileExists(data_dir + "Neu1.png")) << c.bad.name;
    EXPECT_EQ(FilesOutsideData(), 0) << c.bad.name;
    EXPECT_FALSE(fs::exists("/tmp/kirpo-absolute.txt"));
  }
}

TEST_F(InstallTest, FailureWhileUnpackingLeavesNoMarkerSoTheNextStartRepairs) {
  // The marker comes first in the archive, a file that cannot be written later.
  MakeZip(Package(), {{"generatedfigures_0.txt", "level"}, {"Neu1.png", "png"}, {"blocked/x.txt", "x"}});
  std::string blocker = "a file where a folder must go";
  ASSERT_TRUE(WriteFileAtomically(data_dir + "blocked", blocker.data(), blocker.size()));
  EXPECT_NE(Check(), "");
  EXPECT_FALSE(FileExists(data_dir + InstallMarker));
  fs::remove(data_dir + "blocked");
  EXPECT_EQ(Check(), "");
  EXPECT_TRUE(FileExists(data_dir + InstallMarker));
  EXPECT_TRUE(FileExists(data_dir + "blocked/x.txt"));
}

}  // namespace
}  // namespace kirpo

namespace kirpo {
namespace {

TEST_F(InstallTest, PackagesBeyondTheBoundsOrLyingAboutThemselvesAreRefusedBeforeAnythingIsWritten) {
  const std::string zeros(40u << 20, '\0');  // compresses to about 40 KB
  const std::string block(30u << 20, '\0');
  std::vector<Entry> many{{"generatedfigures_0.txt", "level"}};
  for (int i = 0; i <= static_cast<int>(PackageMaxEntries); ++i) many.push_back({"f" + std::to_string(i), ""});
  std::vector<Entry> large{{"generatedfigures_0.txt", "level"}};
  for (int i = 0; i < 9; ++i) large.push_back({"big" + std::to_string(i), block});  // 270 MiB in all
  struct Case {
    const char* what;
    std::vector<Entry> entries;
    const char* reason;
  } cases[] = {
      {"one entry beyond its bound", {{"generatedfigures_0.txt", "level"}, {"Neu1.png", zeros}}, "more than the 32 MiB"},
      {"too much in all", large, "more than the 256 MiB"},
      {"too many entries", many, "entries, more than the 10000"},
      {"a file that is also a folder", {{"generatedfigures_0.txt", "level"}, {"a.txt", "x"}, {"a.txt/b", "y"}},
       "both a file and a folder: a.txt"},
  };
  for (const Case& c : cases) {
    MakeZip(Package(), c.entries);
    const std::string msg = Check();
    EXPECT_NE(msg.find(c.reason), std::string::npos) << c.what << ": " << msg;
    EXPECT_FALSE(FileExists(data_dir + InstallMarker)) << c.what;
    EXPECT_EQ(std::distance(fs::directory_iterator(data_dir), fs::directory_iterator()), 0) << c.what;
  }
}

TEST_F(InstallTest, AnEntryWhoseBytesDoNotMatchItsHeaderFails) {
  const std::string content(1000, 'k');
  struct Case {
    const char* what;
    size_t local, central;  // offsets of the field in the two headers
    uint32_t value;
  } cases[] = {{"size too small", 22, 24, 10}, {"wrong checksum", 14, 16, 0x12345678}};
  for (const Case& c : cases) {
    int err = 0;
    zip_t* za = zip_open(Package().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(za, nullptr);
    const zip_int64_t i = zip_file_add(za, InstallMarker, zip_source_buffer(za, content.data(), content.size(), 0), 0);
    zip_set_file_compression(za, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
    ASSERT_EQ(zip_close(za), 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(Package(), bytes));
    PatchFirstEntry(bytes, c.local, c.central, c.value);
    ASSERT_TRUE(WriteFileAtomically(Package(), bytes.data(), bytes.size()));
    const std::string msg = Check();
    EXPECT_NE(msg, "") << c.what;
    EXPECT_NE(msg.find("ERROR - Installation cannot proceed!"), std::string::npos) << c.what;
    EXPECT_FALSE(FileExists(data_dir + InstallMarker)) << c.what << ": " << msg;
  }
}

TEST_F(InstallTest, AFolderWhereAPackageFileBelongsDoesNotBlockTheNextGoodPackage) {
  // A package whose marker is a folder is refused before it writes anything...
  MakeZip(Package(), {{"generatedfigures_0.txt/inside.txt", "x"}, {"Neu1.png", "png"}});
  EXPECT_NE(Check().find("The package lacks generatedfigures_0.txt"), std::string::npos);
  EXPECT_FALSE(fs::exists(data_dir + "Neu1.png"));
  // ...but such folders may stand in the data folder already (an older damaged package, a player).
  fs::create_directories(data_dir + "generatedfigures_0.txt/inside");
  fs::create_directories(data_dir + "Neu2.png/sub");
  MakeZip(Package(), {{"generatedfigures_0.txt", "level"}, {"Neu1.png", "png"}, {"Neu2.png", "png"}});
  EXPECT_EQ(Check(), "");
  EXPECT_TRUE(FileExists(data_dir + InstallMarker));
  EXPECT_TRUE(FileExists(data_dir + "Neu2.png"));
}

TEST_F(InstallTest, ADataFolderPathThatIsAFileIsExplained) {
  MakeZip(Package(), {{"generatedfigures_0.txt", "level"}});
  fs::remove_all(data_dir);
  const std::string file = data_dir.substr(0, data_dir.size() - 1);
  ASSERT_TRUE(WriteFileAtomically(file, "x", 1));
  const std::string msg = Check();
  EXPECT_NE(msg.find(file + " is a file, not a folder. Move or delete that file, then start Kirpo again."),
            std::string::npos)
      << msg;
  EXPECT_EQ(msg.find("cannot remove"), std::string::npos) << msg;
}

TEST_F(InstallTest, AStagingFolderOfAKilledUnpackingIsRemovedAtTheNextStart) {
  const std::string dead = data_dir + ".unpacking-" + std::to_string(test::DeadPid());
  const std::string alive = data_dir + ".unpacking-1";  // init never dies
  for (const std::string& d : {dead, alive}) {
    fs::create_directories(d);
    ASSERT_TRUE(WriteFileAtomically(d + "/Neu1.png", "half", 4));
  }
  MakeZip(Package(), {{"generatedfigures_0.txt", "level"}});
  EXPECT_EQ(Check(), "");
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
}

}  // namespace
}  // namespace kirpo
