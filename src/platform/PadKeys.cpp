#include "platform/PadKeys.h"

#include "common/Consts.h"

namespace kirpo {

namespace {

struct Button {
  bool PadState::*state;
  int vk, fallback;
  bool repeats;
};

// The order of PadState, and of the events of one read.
constexpr Button kButtons[PadKeys::Buttons] = {
    {&PadState::up, VK_UP, 0, true},
    {&PadState::down, VK_DOWN, 0, true},
    {&PadState::left, VK_LEFT, 0, true},
    {&PadState::right, VK_RIGHT, 0, true},
    {&PadState::a, VK_GAMEPAD_A, VK_SPACE, false},
    {&PadState::b, VK_BACK, 0, true},
    {&PadState::start, VK_RETURN, 0, false},
    {&PadState::back, VK_GAMEPAD_VIEW, 0, false},
};

}  // namespace

std::vector<PadKey> PadKeys::Read(const PadState& pad, int64_t now) {
  std::vector<PadKey> events;
  for (size_t i = 0; i < Buttons; ++i) {
    const Button& b = kButtons[i];
    const bool down = pad.*b.state;
    if (stale_[i]) {
      stale_[i] = held_[i] = down;
      continue;
    }
    if (down && !held_[i]) {
      events.push_back({b.vk, b.fallback, true, false});
      next_repeat_[i] = now + RepeatDelayMs;
    } else if (down && b.repeats && now >= next_repeat_[i]) {
      events.push_back({b.vk, b.fallback, true, true});
      next_repeat_[i] = now + RepeatMs;
    } else if (!down && held_[i]) {
      events.push_back({b.vk, b.fallback, false, false});
    }
    held_[i] = down;
  }
  return events;
}

PadState PadKeys::Live() const {
  PadState s;
  for (size_t i = 0; i < Buttons; ++i) s.*kButtons[i].state = held_[i] && !stale_[i];
  return s;
}

bool PadKeys::AnyHeld() const {
  for (bool held : held_)
    if (held) return true;
  return false;
}

}  // namespace kirpo
