#pragma once
// The replay's input: a text script of held keys and taps, frame by frame (format in
// docs/replay-scripts.md).
#include <cstdint>
#include <string>
#include <vector>

namespace kirpo {

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
  enum class Kind { Hold, Tap, TouchMode, ButtonMode, Pause };
  Kind kind = Kind::Hold;
  int64_t frames = 0;  // Hold: how many frames the keys are held; Pause: how many ms it lasts
  uint8_t keys = 0;    // Hold: ReplayKey bits
  float x = 0, y = 0;  // Tap: design units
};

struct ReplayScript {
  std::vector<ReplayStep> steps;
  int64_t TotalFrames() const;
  // The keys held in frame n (counted from 1, as the replay plays them); none past the end.
  uint8_t KeysAt(int64_t frame) const;
  // Whether the script only holds keys (no taps, mode switches or pauses).
  bool KeysOnly() const;
};

// Parses a script. On failure returns false and, when error is given, says which line is wrong
// and why.
bool ParseReplayScript(const std::string& text, ReplayScript& out, std::string* error = nullptr);

// The virtual-key codes the held keys stand for (the up and down keys as the game has them).
std::vector<int> ReplayKeyCodes(uint8_t keys, int up_key, int down_key);

}  // namespace kirpo
