#include "platform/WindowMapping.h"

#include <SDL_syswm.h>
#include <dlfcn.h>

#include "platform/CloseSignals.h"

namespace kirpo {

namespace {

// Xlib is taken from the copy SDL loaded, so that the game does not link it itself.
struct Xlib {
  using MapRaised = int (*)(Display*, Window);
  using Flush = int (*)(Display*);
  using GetAttributes = int (*)(Display*, Window, XWindowAttributes*);
  MapRaised map_raised = nullptr;
  Flush flush = nullptr;
  GetAttributes get_attributes = nullptr;

  Xlib() {
    void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return;
    map_raised = reinterpret_cast<MapRaised>(dlsym(lib, "XMapRaised"));
    flush = reinterpret_cast<Flush>(dlsym(lib, "XFlush"));
    get_attributes = reinterpret_cast<GetAttributes>(dlsym(lib, "XGetWindowAttributes"));
  }
  bool Usable() const { return map_raised && flush && get_attributes; }
};

}  // namespace

bool ShowWindowBounded(SDL_Window* window, int timeout_ms) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  static const Xlib x;
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !x.Usable()) {
    SDL_ShowWindow(window);
    return true;
  }
  Display* display = info.info.x11.display;
  const Window xwindow = info.info.x11.window;
  const Uint64 start = SDL_GetTicks64();
  Uint64 asked_at = 0;
  for (;;) {
    const Uint64 now = SDL_GetTicks64();
    // A window manager that took over the screen after the request may have missed it: asked again.
    if (asked_at == 0 || now - asked_at >= 500) {
      x.map_raised(display, xwindow);
      x.flush(display);
      asked_at = now;
    }
    XWindowAttributes a{};
    if (x.get_attributes(display, xwindow, &a) && a.map_state != IsUnmapped) {
      // Mapped: SDL finds it so and does not wait.
      SDL_ShowWindow(window);
      return true;
    }
    if (CloseSignalled() || now - start >= static_cast<Uint64>(timeout_ms)) return false;
    SDL_Delay(10);
  }
}

}  // namespace kirpo
