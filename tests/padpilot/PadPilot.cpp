// A game controller for end-to-end tests of the real executable: loaded with LD_PRELOAD, it plugs
// an SDL virtual pad into the game the first time the game reads its controllers, and works the
// pad's buttons and axes as a test writes commands into the file named by KIRPO_PADPILOT, one a
// line (the names are SDL's own controller names):
//   a down | a up | dpdown down | start up ...   a button pressed or let go
//   leftx 30000 | lefty -30000 | leftx 0        an axis moved
//   unplug | plug                              the pad pulled out or plugged in again
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

SDL_Joystick* pad = nullptr;
int pad_index = -1;
std::streamoff read_up_to = 0;
std::string partial;

void Plug() {
  if (pad) return;
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Kirpo pad pilot";
  pad_index = SDL_JoystickAttachVirtualEx(&desc);
  if (pad_index >= 0) pad = SDL_JoystickOpen(pad_index);
  if (!pad) std::fprintf(stderr, "padpilot: no virtual pad: %s\n", SDL_GetError());
}

void Unplug() {
  if (!pad) return;
  SDL_JoystickClose(pad);
  pad = nullptr;
  SDL_JoystickDetachVirtual(pad_index);
}

void Command(const std::string& line) {
  std::istringstream in(line);
  std::string name, value;
  in >> name >> value;
  if (name == "plug") return Plug();
  if (name == "unplug") return Unplug();
  if (!pad) return;
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
  if (button != SDL_CONTROLLER_BUTTON_INVALID) {
    SDL_JoystickSetVirtualButton(pad, button, value == "down");
    return;
  }
  const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name.c_str());
  if (axis != SDL_CONTROLLER_AXIS_INVALID) {
    SDL_JoystickSetVirtualAxis(pad, axis, static_cast<Sint16>(std::atoi(value.c_str())));
    return;
  }
  std::fprintf(stderr, "padpilot: what is \"%s\"?\n", line.c_str());
}

// The commands written since the last look; a line still being written waits for its end.
void ReadCommands() {
  const char* path = std::getenv("KIRPO_PADPILOT");
  if (!path) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  file.seekg(read_up_to);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  read_up_to += static_cast<std::streamoff>(text.size());
  partial += text;
  for (size_t end; (end = partial.find('\n')) != std::string::npos;) {
    Command(partial.substr(0, end));
    partial.erase(0, end + 1);
  }
}

}  // namespace

extern "C" void SDL_GameControllerUpdate(void) {
  using Update = void (*)();
  static const auto real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_GameControllerUpdate"));
  static bool plugged_once = false;
  if (!plugged_once) {
    plugged_once = true;
    Plug();
  }
  ReadCommands();
  if (real) real();
}
