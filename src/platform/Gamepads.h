#pragma once
#include <map>
#include <set>
#include <string>

namespace kirpo {

// What the plugged-in game controllers hold down together, in the game's own terms.
struct PadState {
  bool up = false, down = false, left = false, right = false;
  bool a = false, b = false, start = false, back = false;
};

// Every game controller SDL has a mapping for (its built-in database, SDL_GAMECONTROLLERCONFIG),
// opened as it is plugged in and closed as it is pulled out, with no restart. A joystick without
// a mapping is ignored, with one line on stderr.
class Gamepads {
 public:
  // The left stick counts as a direction beyond this share of its travel.
  static constexpr int DeadZone = 12000;  // of 32767

  Gamepads();
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Takes in pads plugged in or pulled out since the last call and reads them all.
  PadState Read();
  int Open() const { return static_cast<int>(pads_.size()); }

 private:
  void Refresh();

  bool ready_ = false;
  std::map<int, void*> pads_;  // joystick instance id -> SDL_GameController
  std::set<int> ignored_;      // instance ids reported once as without a mapping
};

}  // namespace kirpo
