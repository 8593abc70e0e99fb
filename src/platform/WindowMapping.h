#pragma once
#include <SDL.h>

namespace kirpo {

// Shows a window created hidden without waiting for the window system for good. SDL's own
// SDL_ShowWindow waits for the window to be mapped; a window manager starting at the same moment
// (a desktop session's autostart) may never act on that request, and the game hung before its
// first picture. The request is repeated until the window is mapped, for at most timeout_ms (or
// until a close signal); after that the game goes on and the window appears when the window
// manager maps it. True when the window is shown.
bool ShowWindowBounded(SDL_Window* window, int timeout_ms);

}  // namespace kirpo
