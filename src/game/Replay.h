#pragma once
// Headless replay: plays one level from a text script of held keys and taps, frame by frame on a
// manual clock, and sums up the end state in a digest. Used by the kirpo_replay tool and tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kirpo {

struct Game;

// Keys a script line can hold, as bits.
enum ReplayKey : uint8_t {
  ReplayUp = 1,
  ReplayDown = 2,
  ReplayLeft = 4,
  ReplayRight = 8,
  ReplayFire = 16,     // space
  ReplayControl = 32,  // control: throws as well
};

struct ReplayStep {
  enum class Kind { Hold, Tap, TouchMode, ButtonMode };
  Kind kind = Kind::Hold;
  int64_t frames = 0;  // Hold: how many frames the keys are held
  uint8_t keys = 0;    // Hold: ReplayKey bits
  float x = 0, y = 0;  // Tap: design units
};

struct ReplayScript {
  std::vector<ReplayStep> steps;
  int64_t TotalFrames() const;
};

// Parses a script (format in docs/replay-scripts.md). On failure returns false and, when error is
// given, says which line is wrong and why.
bool ParseReplayScript(const std::string& text, ReplayScript& out, std::string* error = nullptr);

struct ReplayOptions {
  std::string data_dir;  // level files, figures and the movie list; nothing is written there
  int32_t level = 0;
  int32_t difficulty = 0;  // 0 Easy, 1 Hard, 2 Crazy
  // Normally the replay stops at the frame that decides the attempt (won or lost); with this set
  // it plays every frame of the script (a lost runner is then retried as in the game).
  bool play_through = false;
  // Called once the game is set up, before the level starts (the demo recorder attaches here).
  std::function<void(Game&)> on_start;
};

enum class ReplayOutcome { Running, Won, Lost };

struct ReplayResult {
  ReplayOutcome outcome = ReplayOutcome::Running;
  std::string kill_reason;
  int32_t score = 0;
  int32_t time_bonus = 0;
  int32_t runner = 0;
  int32_t pilz_count = 0;
  int64_t frames = 0;  // frames played
  uint64_t digest = 0;
  // A fatal error of the game (a missing or broken level file, for instance) ends the replay.
  bool failed = false;
  int32_t error_code = 0;
  std::string error;
};

// Plays the script on a fresh game. Installs its own manual clock for the duration and leaves
// the steady clock installed afterwards.
ReplayResult RunReplay(const ReplayOptions& options, const ReplayScript& script);

// 64-bit FNV-1a over every live sprite (slot, type, position, direction, figure) and the game
// state's Level, Score, Runner, TimeBonus, PilzCount, Tot, MissionCompleted and KillReason.
uint64_t GameDigest(Game& g);

// The lines the tool prints: outcome, score, time bonus, mushrooms, reserve runners, frames, digest.
std::string ReplayReport(const ReplayResult& r);

}  // namespace kirpo
