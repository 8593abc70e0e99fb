#pragma once
// Headless replay: plays one level from a script through the program's own frame loop (App on a
// null host, drawing skipped) on a manual clock, and sums up the end state in a digest. Used by
// the kirpo_replay tool and the tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/ReplayScript.h"

namespace kirpo {

struct Game;
class Host;

struct ReplayOptions {
  std::string data_dir;  // level files, figures and the movie list; nothing is written there
  int32_t level = 0;
  int32_t difficulty = 0;  // 0 Easy, 1 Hard, 2 Crazy
  // Normally the replay stops at the frame that decides the attempt (won or lost); with this set
  // it plays every frame of the script (a lost runner is then retried as in the game).
  bool play_through = false;
  // Called once the program's start-up has loaded its data, just before the level is built (the
  // demo recorder attaches here).
  std::function<void(Game&)> on_start;
  // Called after every frame; returning false ends the replay there (tests that watch the play).
  std::function<bool(Game&, int64_t frame)> after_frame;
  // Where the loop runs: by default a host without a picture. Given a window or an offscreen host,
  // keys go in as that host's key events and, with draw set, every frame is drawn as well.
  Host* host = nullptr;
  bool draw = false;
};

enum class ReplayOutcome { Running, Won, Lost };

struct ReplayResult {
  ReplayOutcome outcome = ReplayOutcome::Running;
  std::string kill_reason;
  int32_t level = 0;
  int32_t score = 0;
  int32_t time_bonus = 0;
  int32_t runner = 0;
  int32_t pilz_count = 0;
  int64_t frames = 0;  // frames played
  int64_t sounds = 0;  // sound requests (plays and stops) the game made
  uint64_t digest = 0;
  // A fatal error of the game (a missing or broken level file, an error in the frame) ends the
  // replay; its outcome is then the error, never a pass.
  bool failed = false;
  int32_t error_code = 0;
  std::string error;
};

// Plays the script on a fresh game. Installs its own manual clock for the duration and leaves
// the steady clock installed afterwards.
ReplayResult RunReplay(const ReplayOptions& options, const ReplayScript& script);

// One game over several levels: the first level starts as RunReplay starts it, and each further
// script plays on the level the game went on to by itself, score and reserve runners carried
// over. A script's first frame falls as long after its level started as in a fresh replay.
struct PlayThroughLevel {
  int32_t level = 0;
  ReplayScript script;  // must win the level
};
struct PlayThroughResult {
  ReplayResult last;       // the state where the play-through stopped
  // Each level's state when it was decided, frames counted from its script's first frame.
  std::vector<ReplayResult> levels;
  int32_t levels_won = 0;  // levels won in a row from the first
  bool congratulated = false;  // the final picture of the last level was reached
  std::string stopped;     // why it stopped early, empty when every level was won
};
// options.level is ignored; the levels play in the given order and must follow each other. After
// the last one the game runs on for up to run_on_frames frames (the final congratulation, or the
// next level's start).
PlayThroughResult RunPlayThrough(const ReplayOptions& options, const std::vector<PlayThroughLevel>& levels,
                                 int64_t run_on_frames);

// The lines the tool prints: outcome, score, time bonus, mushrooms, reserve runners, frames, digest.
std::string ReplayReport(const ReplayResult& r);

}  // namespace kirpo
