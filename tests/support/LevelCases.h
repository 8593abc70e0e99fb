#pragma once
// The levels' proving replays: cases found under a folder (layout in docs/replay-scripts.md),
// replayed from a fresh game and compared with their pinned reports.
#include <functional>
#include <string>
#include <vector>

#include "shell/Replay.h"

namespace kirpo::test {

struct LevelCase {
  int level = 0;
  int difficulty = 0;
  bool win = true;
  std::string name;         // "<level>/<difficulty>-win" or "<level>/<difficulty>-lose-<why>"
  std::string script_path;  // the .txt
  std::string pin_path;     // the .pin next to it
};

extern const char* const kDifficultyNames[3];  // easy, hard, crazy

// Every case under replays_dir, by level and name. A file that does not fit the layout is an
// error, so a misnamed script is never silently left out.
std::vector<LevelCase> FindLevelCases(const std::string& replays_dir, std::vector<std::string>& errors);

// The levels 0..56 whose file is in the data folder.
std::vector<int> LevelsIn(const std::string& data_dir);

// Replays one case; empty when it ends as pinned and as its name says, else why not.
std::string CheckLevelCase(const std::string& data_dir, const LevelCase& c,
                           const std::function<void(ReplayOptions&)>& adjust = {});

struct LevelsCheck {
  int cases = 0, passed = 0, failed = 0, levels = 0, missing = 0;
  std::vector<std::string> lines;  // one per case and per missing winning replay, then the counts
  bool Ok() const { return failed == 0 && missing == 0 && cases > 0; }
};

// All cases, and every level of the data folder on every difficulty with a winning case.
LevelsCheck CheckAllLevels(const std::string& data_dir, const std::string& replays_dir,
                           const std::function<void(ReplayOptions&)>& adjust = {});

}  // namespace kirpo::test
