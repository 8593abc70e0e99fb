// The table in memory, the end of a game and the saving of a new entry.
#include "platform/FileUtil.h"
#include "scores/HiScores.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <vector>

#include "game/Game.h"
#include "game/GameTestSupport.h"
#include "sound/SlotSoundPlayer.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct HiScoresTest : ::testing::Test {
  test::TempDir dir;
  test::ScopedManualClock clock{100000};
  std::unique_ptr<SlotSoundPlayer> player;  // outlives the game that points to it
  Game g{dir.Path()};

  // A table of the given scores, names "P1", "P2", ... in the file of the difficulty.
  void WriteTable(int32_t difficulty, std::initializer_list<int32_t> scores) {
    HiScoreList list{};
    int i = 0;
    for (int32_t s : scores) {
      list[static_cast<size_t>(i)] = TPlayer{"P" + std::to_string(i + 1), s, "d"};
      ++i;
    }
    dir.Write(HiScoreFileName(difficulty), FormatHiScores(list));
  }
  void Load(int32_t difficulty) {
    g.st.Difficulty = difficulty;
    LoadHiScores(g);
  }
  // A game that has just ended with this score, played from the first level.
  void EndGame(int32_t difficulty, int32_t score) {
    g.st.Demomode = false;
    g.st.StartLevel = 0;
    g.st.Score = score;
    g.st.ScoreDifficulty = difficulty;
  }
};

TEST_F(HiScoresTest, LoadingSetsTheBestScoreAndAMissingFileIsAnEmptyTable) {
  WriteTable(1, {900, 500});
  Load(1);
  EXPECT_EQ(g.st.HiScore, 900);
  EXPECT_EQ(g.hiscores().HiScoreTable[1].Name, "P2");
  Load(0);
  EXPECT_EQ(g.st.HiScore, 0);
  EXPECT_EQ(g.hiscores().HiScoreTable[0].Name, "");
}

TEST_F(HiScoresTest, AScoreGoesBelowEveryEntryItDoesNotBeat) {
  struct Case {
    const char* what;
    std::vector<int32_t> table;
    int32_t score;
    int32_t rank;
  };
  const Case cases[] = {
      {"an empty table takes any score above 0 first", {}, 10, 0},
      {"a score of 0 never enters", {}, 0, -1},
      {"equal to the first goes second", {500, 400}, 500, 1},
      {"between two", {500, 400, 300}, 450, 1},
      {"equal to the tenth stays out", {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 1, -1},
      {"above the tenth pushes it out", {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 2, 9},
  };
  for (const Case& c : cases) {
    HiScoreList list{};
    for (size_t i = 0; i < c.table.size(); ++i) list[i] = TPlayer{"P" + std::to_string(i + 1), c.table[i], "d"};
    g.hiscores().HiScoreTable = list;
    g.st.HiScore = list[0].Score;
    g.st.Score = c.score;
    EXPECT_EQ(InsertHiScore(g), c.rank) << c.what;
    if (c.rank < 0) continue;
    const HiScoreList& t = g.hiscores().HiScoreTable;
    EXPECT_EQ(t[static_cast<size_t>(c.rank)].Name, "------------") << c.what;
    EXPECT_EQ(t[static_cast<size_t>(c.rank)].Score, c.score) << c.what;
    EXPECT_TRUE(std::regex_match(t[static_cast<size_t>(c.rank)].Datum,
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << t[static_cast<size_t>(c.rank)].Datum;
    // The entries below moved down one place; the last one fell out.
    for (size_t i = static_cast<size_t>(c.rank) + 1; i < t.size(); ++i)
      EXPECT_EQ(t[i].Score, i - 1 < c.table.size() ? c.table[i - 1] : 0) << c.what << ", row " << i;
    EXPECT_EQ(g.st.HiScore, std::max(list[0].Score, c.score)) << c.what;
  }
}

TEST_F(HiScoresTest, OnlyAGameFromTheFirstLevelWithATopTenScoreOpensTheNameEntry) {
  test::PrepareGame(g, dir);
  struct Case {
    const char* what;
    bool demo;
    int32_t start_level;
    int32_t score;
    bool entry;
  };
  const Case cases[] = {
      {"from the first level", false, 0, 300, true},
      {"a training game from a later level", false, 5, 99999, false},
      {"the demo", true, 0, 99999, false},
      {"below the whole table", false, 0, 5, false},
  };
  for (const Case& c : cases) {
    WriteTable(1, {900, 500, 100, 90, 80, 70, 60, 50, 40, 30});
    Load(1);
    EndGame(1, c.score);
    g.st.Demomode = c.demo;
    g.st.StartLevel = c.start_level;
    g.st.ShowHiScores = false;
    ShowEnterYourNameForm(g);
    EXPECT_EQ(g.st.NameEntryActive, c.entry) << c.what;
    EXPECT_EQ(g.hiscores().NewScore, c.score) << c.what;
    // Without the entry the game is over at once: the attract mode shows the table.
    EXPECT_EQ(g.st.Demomode && g.st.ShowHiScores, !c.entry) << c.what;
    if (c.entry) {
      EXPECT_EQ(g.hiscores().NewRank, 2) << c.what;
    }
    g.st.NameEntryActive = false;
  }
}

TEST_F(HiScoresTest, TheGameOverSoundIsStillAskedForAfterTheDemoHasStarted) {
  // Starting the demo stops every sound; a request made before it would never be heard.
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  test::PrepareGame(g, dir);
  player = std::make_unique<SlotSoundPlayer>(dir.Path(), CreateMixerBackend());
  ASSERT_TRUE(player->StartSound());
  player->SetSoundOn(true);
  g.sound = player.get();
  Load(0);
  EndGame(0, 0);
  ShowEnterYourNameForm(g);
  ASSERT_TRUE(g.st.Demomode);
  int asked = 0;
  for (int i = 0; i < SlotSoundPlayer::SlotCount; ++i) {
    const int32_t s = player->StatusOf(i);
    asked += s == SlotSoundPlayer::PlayRequested || s == SlotSoundPlayer::Playing;
  }
  EXPECT_EQ(asked, 1);
}

TEST_F(HiScoresTest, TheEntryIsSavedInTheTableItWasPlayedInAndLightsUpOnlyThere) {
  test::PrepareGame(g, dir);
  WriteTable(1, {900, 500});
  WriteTable(2, {70, 60, 50});
  Load(1);
  EndGame(1, 700);
  ShowEnterYourNameForm(g);
  ASSERT_TRUE(g.st.NameEntryActive);
  ASSERT_TRUE(SaveNewHiScore(g, "ZOE "));
  NameEntryFinished(g);
  EXPECT_FALSE(g.st.NameEntryActive);
  EXPECT_TRUE(g.st.Demomode);
  EXPECT_TRUE(g.st.ShowHiScores);

  const HiScoreList file = ReadHiScoreFile(dir.File("hiscore_h.txt"));
  EXPECT_EQ(file[1].Name, "ZOE ");
  EXPECT_EQ(file[1].Score, 700);
  EXPECT_EQ(file[2].Name, "P2");
  EXPECT_EQ(HighlightedRow(g), 1);

  Load(2);
  EXPECT_EQ(HighlightedRow(g), -1) << "another difficulty's table";
  Load(1);
  EXPECT_EQ(HighlightedRow(g), 1);

  // A table in memory of another difficulty than the one played: the score still goes to its own.
  Load(2);
  EndGame(1, 600);
  ShowEnterYourNameForm(g);
  ASSERT_TRUE(SaveNewHiScore(g, "AL"));
  NameEntryFinished(g);
  EXPECT_EQ(ReadHiScoreFile(dir.File("hiscore_h.txt"))[2].Name, "AL");
  EXPECT_EQ(ReadHiScoreFile(dir.File("hiscore_c.txt"))[0].Score, 70);
}

TEST_F(HiScoresTest, AFailedSaveKeepsTheEntryInMemoryTellsThePlayerAndTheGameGoesOn) {
  // The program's side: it keeps what the player was told.
  struct NoticeShell : ShellHooks {
    std::vector<std::string> notices;
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
  } shell;
  test::PrepareGame(g, dir);
  ShellHooks* const before = g.shell;
  g.shell = &shell;
  WriteTable(0, {900});
  const std::string old = dir.Read("hiscore_e.txt");
  Load(0);
  EndGame(0, 950);
  ShowEnterYourNameForm(g);
  // No temporary file can be made where a folder of its name stands.
  std::filesystem::create_directory(TemporaryNameFor(dir.File("hiscore_e.txt"), ::getpid()));
  EXPECT_FALSE(SaveNewHiScore(g, "MAX"));
  NameEntryFinished(g);
  g.shell = before;
  ASSERT_EQ(shell.notices.size(), 1u);
  EXPECT_NE(shell.notices[0].find("Your high score could not be saved. Cannot write " + dir.File("hiscore_e.txt") +
                                  ": Is a directory"),
            std::string::npos)
      << shell.notices[0];
  EXPECT_EQ(dir.Read("hiscore_e.txt"), old);
  EXPECT_EQ(g.hiscores().HiScoreTable[0].Name, "MAX");
  EXPECT_EQ(g.st.HiScore, 950);
  EXPECT_TRUE(g.st.Demomode);
}

}  // namespace
}  // namespace kirpo
