#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/Gamepads.h"

namespace kirpo {

// A pad button as a key for the screens: pressed, repeated while held, released.
struct PadKey {
  int vk = 0;        // the key it stands for, or the pad's own code (VK_GAMEPAD_...)
  int fallback = 0;  // tried when the screen has no use for vk (A: Space); 0 for none
  bool down = false;
  bool repeat = false;
};

// Turns the pads' state, read once per frame tick, into key events for the screens: the d-pad and
// stick as arrow keys and B as Backspace, repeating while held as a keyboard does; Start as Enter;
// A and Back as the pad's own codes. A button held when the screen changed acts only after it is
// let go, as a key held from the screen before does.
class PadKeys {
 public:
  static constexpr int64_t RepeatDelayMs = 400;
  static constexpr int64_t RepeatMs = 150;  // as the held arrows of the start menu step

  // The events since the last read, in button order.
  std::vector<PadKey> Read(const PadState& pad, int64_t now);
  // What is held now, without the buttons that have not been let go since the screen changed.
  PadState Live() const;
  // A button is held (also one not yet let go since the screen changed): its repeats and its
  // release are only seen by reading the pads at every frame.
  bool AnyHeld() const;
  // A new screen came up: everything held now waits for its release.
  void HeldBecomeStale() { stale_ = held_; }

  static constexpr int Buttons = 8;

 private:
  std::array<bool, Buttons> held_{}, stale_{};
  std::array<int64_t, Buttons> next_repeat_{};
};

}  // namespace kirpo
