#pragma once
#include <cstdint>
#include <string>

#include "scores/HiScoreFile.h"
#include "scores/LoadHiScores.h"

namespace kirpo {

struct Game;

// The table of the current difficulty and the entry of the game that just ended.
struct HiScoreBoard {
  HiScoreList HiScoreTable{};
  int32_t TableDifficulty = 0;  // whose file HiScoreTable came from
  int32_t NewScore = 0;
  int32_t NewRank = -1;
  // The most recently entered row, and the table it belongs to; no other table lights it up.
  int32_t HighlightRank = -1;
  int32_t HighlightDifficulty = -1;
  // Until then the table with the row just entered stays, whatever is pressed (wall clock);
  // NewRowHeldFromFirstShow while the table has yet to show the row.
  int64_t NewRowHeldUntil = 0;
};

// How long the table shows a row just entered before a key or a click may leave it.
constexpr int64_t NewRowSeenMs = 2500;
constexpr int64_t NewRowHeldFromFirstShow = -1;

// Puts the current score into the table below every entry it does not beat; returns its index,
// or -1 when it beats none.
int32_t InsertHiScore(Game& g);
// The end of a game: the name entry for a score in the top ten, else straight back to the demo.
void ShowEnterYourNameForm(Game& g);
// The name entry's confirmation: stores the name with the new score and writes the file of the
// difficulty the game was played in. A failed write keeps the entry in memory; false then.
bool SaveNewHiScore(Game& g, const std::string& name);
// The name entry has closed: back to the attract mode, which shows the table.
void NameEntryFinished(Game& g);

// While the table shows a row just entered, the keys and clicks that would leave the attract mode
// are dropped: a second Enter, the natural answer to a name entry, must not skip the row unseen.
void HoldTableForNewRow(Game& g);

// The row to draw highlighted in the table now in memory, or -1.
int32_t HighlightedRow(const Game& g);
// The local time as "YYYY-MM-DD HH:MM:SS".
std::string NowAsDatum();

}  // namespace kirpo
