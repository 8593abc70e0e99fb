#include "platform/Gamepads.h"

#include <SDL.h>

#include <cstdio>

namespace kirpo {

namespace {
SDL_GameController* Pad(void* p) { return static_cast<SDL_GameController*>(p); }
}  // namespace

Gamepads::Gamepads() {
  ready_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  // The pads are read directly each frame; their events would only fill the queue.
  if (ready_) {
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
  }
}

Gamepads::~Gamepads() {
  for (auto& [id, pad] : pads_) SDL_GameControllerClose(Pad(pad));
  if (ready_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void Gamepads::Refresh() {
  SDL_GameControllerUpdate();
  for (auto it = pads_.begin(); it != pads_.end();) {
    if (SDL_GameControllerGetAttached(Pad(it->second))) {
      ++it;
      continue;
    }
    SDL_GameControllerClose(Pad(it->second));
    it = pads_.erase(it);
  }
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    const int id = SDL_JoystickGetDeviceInstanceID(i);
    if (id < 0 || pads_.count(id) || ignored_.count(id)) continue;
    if (!SDL_IsGameController(i)) {
      char guid[33];
      SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(i), guid, sizeof guid);
      const char* name = SDL_JoystickNameForIndex(i);
      std::fprintf(stderr, "Kirpo: gamepad \"%s\" (%s) ignored: SDL has no mapping for it\n", name ? name : "?", guid);
      ignored_.insert(id);
      continue;
    }
    if (SDL_GameController* pad = SDL_GameControllerOpen(i)) pads_[id] = pad;
  }
}

PadState Gamepads::Read() {
  PadState s;
  if (!ready_) return s;
  Refresh();
  for (auto& [id, p] : pads_) {
    SDL_GameController* pad = Pad(p);
    auto button = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
    const int x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    const int y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    s.up |= button(SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -DeadZone;
    s.down |= button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > DeadZone;
    s.left |= button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -DeadZone;
    s.right |= button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > DeadZone;
    s.a |= button(SDL_CONTROLLER_BUTTON_A);
    s.b |= button(SDL_CONTROLLER_BUTTON_B);
    s.start |= button(SDL_CONTROLLER_BUTTON_START);
    s.back |= button(SDL_CONTROLLER_BUTTON_BACK);
  }
  return s;
}

}  // namespace kirpo
