#include "support/LevelCases.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "common/Consts.h"
#include "platform/FileUtil.h"

namespace kirpo::test {

namespace fs = std::filesystem;

const char* const kDifficultyNames[3] = {"easy", "hard", "crazy"};

namespace {

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 2 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Word(const std::string& s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// "<difficulty>-win", "<difficulty>-lose-<why>" or "<difficulty>-show-<what>" (a hand-written win
// the attract mode shows)
bool ParseCaseName(const std::string& stem, LevelCase& c) {
  const size_t dash = stem.find('-');
  if (dash == std::string::npos) return false;
  const std::string difficulty = stem.substr(0, dash), rest = stem.substr(dash + 1);
  c.difficulty = -1;
  for (int d = 0; d < 3; ++d)
    if (difficulty == kDifficultyNames[d]) c.difficulty = d;
  if (c.difficulty < 0) return false;
  if (rest == "win") return c.win = true, true;
  if (rest.rfind("lose-", 0) == 0 && Word(rest.substr(5))) return c.win = false, true;
  if (rest.rfind("show-", 0) == 0 && Word(rest.substr(5))) return c.win = true, true;
  return false;
}

}  // namespace

std::vector<LevelCase> FindLevelCases(const std::string& replays_dir, std::vector<std::string>& errors) {
  std::vector<LevelCase> out;
  std::error_code ec;
  if (!fs::is_directory(replays_dir, ec)) return out;
  for (const auto& level_dir : fs::directory_iterator(replays_dir)) {
    const std::string folder = level_dir.path().filename().string();
    if (!level_dir.is_directory() || !AllDigits(folder) || (folder.size() > 1 && folder[0] == '0') ||
        std::stoi(folder) > LastLevel) {
      errors.push_back(folder + ": not a level folder (0 to 56)");
      continue;
    }
    for (const auto& file : fs::directory_iterator(level_dir.path())) {
      const fs::path p = file.path();
      const std::string ext = p.extension().string(), stem = p.stem().string();
      LevelCase c;
      c.level = std::stoi(folder);
      c.name = folder + "/" + stem;
      if (ext == ".pin") {
        if (!fs::exists(p.parent_path() / (stem + ".txt"))) errors.push_back(c.name + ".pin: no script next to it");
        continue;
      }
      if (ext != ".txt" || !ParseCaseName(stem, c)) {
        errors.push_back(folder + "/" + p.filename().string() +
                         ": not <difficulty>-win.txt, <difficulty>-lose-<why>.txt or <difficulty>-show-<what>.txt");
        continue;
      }
      c.script_path = p.string();
      c.pin_path = (p.parent_path() / (stem + ".pin")).string();
      out.push_back(c);
    }
  }
  std::sort(out.begin(), out.end(), [](const LevelCase& a, const LevelCase& b) {
    return a.level != b.level ? a.level < b.level : a.name < b.name;
  });
  return out;
}

std::vector<int> LevelsIn(const std::string& data_dir) {
  std::vector<int> out;
  for (int n = 0; n <= LastLevel; ++n)
    if (FileExists(data_dir + "/generatedfigures_" + std::to_string(n) + ".txt")) out.push_back(n);
  return out;
}

std::string CheckLevelCase(const std::string& data_dir, const LevelCase& c,
                           const std::function<void(ReplayOptions&)>& adjust) {
  std::string text, pin;
  if (!ReadFileText(c.script_path, text)) return "cannot read the script";
  if (!ReadFileText(c.pin_path, pin)) return "no pinned report (" + c.name + ".pin)";
  ReplayScript script;
  std::string error;
  if (!ParseReplayScript(text, script, &error)) return "script: " + error;
  ReplayOptions o;
  o.data_dir = data_dir;
  o.level = c.level;
  o.difficulty = c.difficulty;
  if (adjust) adjust(o);
  const ReplayResult r = RunReplay(o, script);
  const std::string report = ReplayReport(r);
  if (r.failed) return "error " + std::to_string(r.error_code) + ": " + r.error;
  const ReplayOutcome want = c.win ? ReplayOutcome::Won : ReplayOutcome::Lost;
  if (r.outcome != want) return std::string("does not ") + (c.win ? "win" : "lose") + ": " + report.substr(0, report.find('\n'));
  if (report != pin) {
    // The first line that differs says what changed.
    const std::vector<std::string> got = SplitLines(report), want_lines = SplitLines(pin);
    for (size_t i = 0; i < std::max(got.size(), want_lines.size()); ++i) {
      const std::string a = i < got.size() ? got[i] : "", b = i < want_lines.size() ? want_lines[i] : "";
      if (a != b) return "differs from its pin: \"" + a + "\", pinned \"" + b + "\"";
    }
  }
  return {};
}

LevelsCheck CheckAllLevels(const std::string& data_dir, const std::string& replays_dir,
                           const std::function<void(ReplayOptions&)>& adjust) {
  LevelsCheck check;
  std::vector<std::string> errors;
  const std::vector<LevelCase> cases = FindLevelCases(replays_dir, errors);
  for (const std::string& e : errors) {
    ++check.failed;
    check.lines.push_back("FAIL " + e);
  }
  std::set<std::pair<int, int>> won;
  for (const LevelCase& c : cases) {
    ++check.cases;
    const std::string why = CheckLevelCase(data_dir, c, adjust);
    if (why.empty()) {
      ++check.passed;
      if (c.win) won.insert({c.level, c.difficulty});
      check.lines.push_back("ok   " + c.name);
    } else {
      ++check.failed;
      check.lines.push_back("FAIL " + c.name + ": " + why);
    }
  }
  for (int level : LevelsIn(data_dir)) {
    ++check.levels;
    for (int d = 0; d < 3; ++d) {
      if (won.count({level, d})) continue;
      ++check.missing;
      check.lines.push_back("FAIL " + std::to_string(level) + "/" + kDifficultyNames[d] +
                            "-win: no winning replay that passes");
    }
  }
  check.lines.push_back(std::to_string(check.cases) + " cases: " + std::to_string(check.passed) + " passed, " +
                        std::to_string(check.failed) + " failed; " + std::to_string(check.levels) + " levels, " +
                        std::to_string(check.missing) + " without a passing winning replay on some difficulty");
  return check;
}

}  // namespace kirpo::test
