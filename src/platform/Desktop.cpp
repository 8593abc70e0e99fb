#include "platform/Desktop.h"

#include <SDL.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kirpo {

// $HOME, else the home folder the user database gives (HOME is unset for some services).
std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  struct passwd pw;
  struct passwd* found = nullptr;
  char buf[4096];
  if (::getpwuid_r(::getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir && *found->pw_dir == '/')
    return found->pw_dir;
  return "/tmp";
}

namespace {
bool CanShowDialogs() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::string(driver) != "dummy" && std::string(driver) != "offscreen";
}
}  // namespace

void ShowErrorDialog(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  if (!CanShowDialogs()) return;
  SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
                              "OK"};
  SDL_MessageBoxData box{SDL_MESSAGEBOX_ERROR, nullptr, "Kirpo", text.c_str(), 1, &ok, nullptr};
  int pressed = 0;
  SDL_ShowMessageBox(&box, &pressed);
}

void ShowInfoDialog(const std::string& text, const std::string& button) {
  std::fprintf(stderr, "%s\n", text.c_str());
  if (!CanShowDialogs()) return;
  SDL_MessageBoxButtonData b{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
                             button.c_str()};
  SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, "Kirpo", text.c_str(), 1, &b, nullptr};
  int pressed = 0;
  SDL_ShowMessageBox(&box, &pressed);
}

DialogAnswer AskYesNoCancel(const std::string& text) {
  if (!CanShowDialogs()) {
    std::fprintf(stderr, "%s (no display: Cancel)\n", text.c_str());
    return DialogAnswer::Cancel;
  }
  SDL_MessageBoxButtonData buttons[3] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
                                         {0, 0, "No"},
                                         {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "Cancel"}};
  SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, "Kirpo", text.c_str(), 3, buttons, nullptr};
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0 || pressed == 2) return DialogAnswer::Cancel;
  return pressed == 1 ? DialogAnswer::Yes : DialogAnswer::No;
}

bool SetClipboardText(const std::string& text) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  return SDL_SetClipboardText(text.c_str()) == 0;
}

bool OpenUrl(const std::string& url) { return SDL_OpenURL(url.c_str()) == 0; }

std::string ExecutableDir() {
  char* base = SDL_GetBasePath();
  std::string dir = base ? base : "./";
  SDL_free(base);
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string UserDataDir() {
  std::string root;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') {
    root = xdg;
  } else {
    root = HomeDir() + "/.local/share";
  }
  if (!root.empty() && root.back() == '/') root.pop_back();
  return root + "/KIRPO/";
}

}  // namespace kirpo
