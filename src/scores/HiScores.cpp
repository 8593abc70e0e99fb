#include "scores/HiScores.h"

#include <ctime>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "platform/Clock.h"
#include "scores/HiScoreScreen.h"

namespace kirpo {

namespace {

constexpr const char* EmptyName = "------------";

std::string FileOf(const Game& g, int32_t difficulty) { return g.DataDir + HiScoreFileName(difficulty); }

}  // namespace

std::string NowAsDatum() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) return {};
  char buf[32];
  if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local) == 0) return {};
  return buf;
}

void LoadHiScores(Game& g) {
  WriteLog("LoadHiScores");
  HiScoreBoard& b = g.hiscores();
  b.HiScoreTable = ReadHiScoreFile(FileOf(g, g.st.Difficulty));
  b.TableDifficulty = g.st.Difficulty;
  g.st.HiScore = b.HiScoreTable[0].Score;
}

int32_t InsertHiScore(Game& g) {
  WriteLog("");
  HiScoreList& t = g.hiscores().HiScoreTable;
  const int32_t score = g.st.Score;
  int32_t i = 0;
  while (i < HiScoreRows && t[static_cast<size_t>(i)].Score >= score) ++i;
  if (i == HiScoreRows) return -1;
  for (int32_t k = HiScoreRows - 1; k > i; --k) t[static_cast<size_t>(k)] = t[static_cast<size_t>(k - 1)];
  t[static_cast<size_t>(i)] = TPlayer{EmptyName, score, NowAsDatum()};
  if (score > g.st.HiScore) g.st.HiScore = score;
  return i;
}

void ShowEnterYourNameForm(Game& g) {
  GameState& st = g.st;
  HiScoreBoard& b = g.hiscores();
  b.NewScore = st.Score;
  if (st.NameEntryActive) return;
  if (st.Demomode || st.StartLevel > 0) {
    GameOver(g);  // demo and training games never enter the table
    return;
  }
  // The score goes into the table of the difficulty it was played in, whatever is in memory.
  if (b.TableDifficulty != st.ScoreDifficulty) {
    const int32_t shown = st.Difficulty;
    st.Difficulty = st.ScoreDifficulty;
    LoadHiScores(g);
    st.Difficulty = shown;
  }
  b.NewRank = InsertHiScore(g);
  if (b.NewRank < 0) {
    // Requested after the game over: starting the demo stops every sound that is still asked for.
    GameOver(g);
    g.sound->PlayMusik(nullptr, "gameover.wav");
    return;
  }
  st.NameEntryActive = true;
  g.sound->PlayMusik(nullptr, "neuer_hiscore.wav");
  g.shell->ShowNameEntryForm();
}

bool SaveNewHiScore(Game& g, const std::string& name) {
  HiScoreBoard& b = g.hiscores();
  if (b.NewRank < 0 || b.NewRank >= HiScoreRows) return false;
  b.HiScoreTable[static_cast<size_t>(b.NewRank)] = TPlayer{PrintableText(name, MaxNameLength), b.NewScore, NowAsDatum()};
  b.HighlightRank = b.NewRank;
  b.HighlightDifficulty = b.TableDifficulty;
  std::string why;
  if (WriteHiScoreFile(FileOf(g, b.TableDifficulty), b.HiScoreTable, &why)) return true;
  // The table shows the name as if it were kept; the player must learn that it is not.
  g.shell->ShowNotice("Your high score could not be saved. " + why);
  return false;
}

void NameEntryFinished(Game& g) {
  GameState& st = g.st;
  st.ShowHiScores = true;
  st.HiScoresShownAt = GameTicks();
  g.shell->ShowMainForm(true);
  st.NameEntryActive = false;
  GameOver(g);
  // The name shows in its row at once, not after the attract mode's picture that opens the table.
  st.HiScoresShownAt = GameTicks() - HiScorePictureMs;
  // Counted from the table's first frame: the attract mode's level may take a moment to load.
  g.hiscores().NewRowHeldUntil = NewRowHeldFromFirstShow;
}

void HoldTableForNewRow(Game& g) {
  GameState& st = g.st;
  if (!st.Demomode || !st.ShowHiScores) return;
  int64_t& until = g.hiscores().NewRowHeldUntil;
  if (until == NewRowHeldFromFirstShow && st.GameRunning) until = GameTicks() + NewRowSeenMs;
  if (until != NewRowHeldFromFirstShow && GameTicks() >= until) return;
  st.KeyState[VK_RETURN] = 0;
  st.NavJump = st.NavLeft = st.NavRight = st.NavUp = st.NavDown = false;
}

int32_t HighlightedRow(const Game& g) {
  const HiScoreBoard& b = g.hiscores();
  return b.HighlightDifficulty == b.TableDifficulty ? b.HighlightRank : -1;
}

}  // namespace kirpo
