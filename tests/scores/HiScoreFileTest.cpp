// The score files: their layout, what a damaged file reads as, and writing them safely.
#include "scores/HiScoreFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileUtil.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

// The lines of a file with the given entries first and the rest empty, as the game writes it.
std::string FileOf(std::initializer_list<TPlayer> entries) {
  HiScoreList list{};
  size_t i = 0;
  for (const TPlayer& p : entries) list[i++] = p;
  return FormatHiScores(list);
}

TEST(HiScoreFileTest, ThirtyLinesEndedByCrLfEmptyEntriesIncluded) {
  const std::string text = FileOf({{"ANNA", 5000, "2026-12-10 17:01:02"}, {"BOB  ", 40, "2026-12-10 17:05:00"}});
  std::string expected = "ANNA\r\n5000\r\n2026-12-10 17:01:02\r\nBOB  \r\n40\r\n2026-12-10 17:05:00\r\n";
  for (int i = 2; i < 10; ++i) expected += "\r\n0\r\n\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_TRUE(IsSoundHiScoreFile(text));
  const HiScoreList back = ParseHiScores(text);
  EXPECT_EQ(back[1].Name, "BOB  ");  // blanks the player typed stay
  EXPECT_EQ(back[0].Score, 5000);
  EXPECT_EQ(back[0].Datum, "2026-12-10 17:01:02");
  EXPECT_EQ(HiScoreFileName(0), "hiscore_e.txt");
  EXPECT_EQ(HiScoreFileName(1), "hiscore_h.txt");
  EXPECT_EQ(HiScoreFileName(2), "hiscore_c.txt");
}

TEST(HiScoreFileTest, ReadingStopsAtTheDamageAndKeepsWhatCameBefore) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::pair<std::string, int32_t>> entries;  // the first entries read; the rest empty
  };
  const std::string two = "ANNA\r\n500\r\nd1\r\nBOB\r\n400\r\nd2\r\n";
  const Case cases[] = {
      {"a score that is not a number", two + "CARL\r\n3x0\r\nd3\r\nDORA\r\n200\r\nd4\r\n",
       {{"ANNA", 500}, {"BOB", 400}, {"CARL", 0}}},
      {"a missing line", two + "CARL\r\n", {{"ANNA", 500}, {"BOB", 400}, {"CARL", 0}}},
      {"a score beyond 32 bits", two + "CARL\r\n99999999999\r\nd3\r\n", {{"ANNA", 500}, {"BOB", 400}, {"CARL", 0}}},
      {"a negative score", two + "CARL\r\n-5\r\nd3\r\n", {{"ANNA", 500}, {"BOB", 400}, {"CARL", 0}}},
      {"a score no play reaches", two + "CARL\r\n2147483000\r\nd3\r\n", {{"ANNA", 500}, {"BOB", 400}, {"CARL", 0}}},
      // They reorder the row: the score beside such a name moved by about 30 pixels.
      {"bidirectional controls", "A\u202EB\u200FC\r\n500\r\nd1\r\nD\u2066E\u061C\u200E\r\n400\r\nd2\r\n",
       {{"A???B???C", 500}, {"D???E?????", 400}}},
      {"a byte-order mark", "\xEF\xBB\xBF" + two, {{"ANNA", 500}, {"BOB", 400}}},
      // Kept in the name, it would be read as the file's mark next time and the name would change.
      {"a second byte-order mark", "\xEF\xBB\xBF\xEF\xBB\xBF" + two, {{"???ANNA", 500}, {"BOB", 400}}},
      {"plain line feeds", "ANNA\n500\nd1\nBOB\n400\nd2\n", {{"ANNA", 500}, {"BOB", 400}}},
      {"a long name", "ABCDEFGHIJKLMNOP\r\n500\r\nd1\r\n", {{"ABCDEFGHIJKL", 500}}},
      {"control bytes", "A\tB\x1b[2J\x7f\r\n500\r\nd1\r\n", {{"A?B?[2J?", 500}}},
      {"invalid UTF-8", "J\xC3\r\n500\r\nd\r\nK\xFF\xFE\r\n400\r\nd\r\nL\xED\xA0\x80\r\n300\r\nd\r\n",
       {{"J?", 500}, {"K??", 400}, {"L???", 300}}},
      {"valid UTF-8 stays", "J\xC3\x96RG\r\n500\r\nd1\r\n", {{"J\xC3\x96RG", 500}}},
      {"an empty file", "", {}},
  };
  for (const Case& c : cases) {
    const HiScoreList list = ParseHiScores(c.bytes);
    for (size_t i = 0; i < list.size(); ++i) {
      const std::string name = i < c.entries.size() ? c.entries[i].first : "";
      const int32_t score = i < c.entries.size() ? c.entries[i].second : 0;
      EXPECT_EQ(list[i].Name, name) << c.what << ", entry " << i;
      EXPECT_EQ(list[i].Score, score) << c.what << ", entry " << i;
    }
    // None of them is what the game writes, so each would be kept as .bad before it is replaced.
    EXPECT_FALSE(IsSoundHiScoreFile(c.bytes)) << c.what;
  }
}

TEST(HiScoreFileTest, AHugeFileIsReadOnlyAsFarAsTheCap) {
  test::TempDir dir;
  std::string huge = FileOf({{"ANNA", 500, "d"}});
  huge += std::string(8 * 1024 * 1024, 'x');
  dir.Write("hiscore_e.txt", huge);
  const HiScoreList list = ReadHiScoreFile(dir.File("hiscore_e.txt"));
  EXPECT_EQ(list[0].Name, "ANNA");
  EXPECT_EQ(list[0].Score, 500);
  EXPECT_EQ(list[9].Name, "");
  EXPECT_EQ(ReadHiScoreFile(dir.File("missing.txt"))[0].Score, 0);
}

TEST(HiScoreFileTest, ADamagedFileIsKeptOnceAsBadBeforeItIsReplaced) {
  test::TempDir dir;
  const std::string path = dir.File("hiscore_h.txt");
  const std::string damaged = "ANNA\r\n500\r\nd1\r\nBOB\r\nfour hundred\r\nd2\r\nCARL\r\n300\r\nd3\r\n";
  dir.Write("hiscore_h.txt", damaged);
  HiScoreList list = ReadHiScoreFile(path);
  list[1] = TPlayer{"NEW", 450, "d"};

  ASSERT_TRUE(WriteHiScoreFile(path, list));
  EXPECT_EQ(dir.Read("hiscore_h.txt.bad"), damaged);  // CARL can still be recovered by hand
  EXPECT_EQ(dir.Read("hiscore_h.txt"), FormatHiScores(list));

  // The file is sound now: the next write replaces it without touching the copy.
  list[2] = TPlayer{"OTHER", 420, "d"};
  ASSERT_TRUE(WriteHiScoreFile(path, list));
  EXPECT_EQ(dir.Read("hiscore_h.txt.bad"), damaged);
  EXPECT_EQ(dir.Read("hiscore_h.txt"), FormatHiScores(list));

  // A sound file never leaves a copy.
  ASSERT_TRUE(WriteHiScoreFile(dir.File("hiscore_e.txt"), list));
  ASSERT_TRUE(WriteHiScoreFile(dir.File("hiscore_e.txt"), list));
  EXPECT_FALSE(FileExists(dir.File("hiscore_e.txt.bad")));
}

TEST(HiScoreFileTest, AFailedWriteLeavesTheOldFileByteIdenticalAndSaysWhy) {
  // Folders stand where the write needs a file (root ignores permissions, so a read-only folder
  // would not do).
  struct Case {
    const char* what;
    std::string old;      // the file's bytes before; empty: a folder stands at the file's own name
    std::string blocked;  // the name of the folder, after the file's
    std::string why;
  };
  const std::string sound = FileOf({{"ANNA", 500, "d1"}});
  const std::string damaged = "ANNA\r\n500\r\nd1\r\nBOB\r\nfour\r\n";
  const Case cases[] = {
      {"the temporary file", sound, "temporary", ": Is a directory"},
      {"the file itself", "", "", " is a folder, not a file: move or delete that folder"},
      {"the copy of a damaged file", damaged, ".bad", "Cannot keep a copy of the damaged "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string path = dir.File("hiscore_c.txt");
    if (c.old.empty()) std::filesystem::create_directories(path + "/inside");
    else dir.Write("hiscore_c.txt", c.old);
    const std::string blocked = c.blocked == "temporary" ? TemporaryNameFor(path, ::getpid()) : path + c.blocked;
    std::filesystem::create_directories(blocked + "/inside");
    HiScoreList list = ParseHiScores(c.old);
    list[0] = TPlayer{"NEW", 900, "d"};
    std::string why;
    EXPECT_FALSE(WriteHiScoreFile(path, list, &why));
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
    if (c.old.empty()) EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
    else EXPECT_EQ(dir.Read("hiscore_c.txt"), c.old);
  }
}

}  // namespace
}  // namespace kirpo
