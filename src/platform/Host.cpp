#include "platform/Host.h"

#include <SDL.h>

#include <algorithm>

#include "common/Consts.h"
#include "platform/DamageCanvas.h"
#include "platform/EmbeddedFiles.h"
#include "platform/SdlCanvas.h"
#include "platform/WindowMapping.h"

namespace kirpo {

std::array<uint8_t, 256> Host::ReadKeyState() {
  std::array<uint8_t, 256> out{};
  for (int i = 0; i < 256; ++i) {
    if (down_[i] || pressed_since_read_[i]) out[i] = 0x80;
    pressed_since_read_[i] = false;
  }
  return out;
}

void Host::NoteKey(int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  down_[vk] = down;
  if (down) pressed_since_read_[vk] = true;
  ++events_taken_;
}

void Host::Inject(const InputEvent& e) {
  if (e.type == InputEvent::Type::KeyDown || e.type == InputEvent::Type::KeyUp)
    NoteKey(e.vk, e.type == InputEvent::Type::KeyDown);
  QueueEvent(e);
}

int VirtualKeyFromSdl(int key) {
  switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F1: return VK_F1;
    case SDLK_F5: return VK_F5;
    case SDLK_F12: return VK_F12;
    default: break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  return 0;
}

bool InitVideo(std::string* error) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  // Without a display SDL falls back to a driver that shows nothing, and the game would run
  // unseen for ever. Only a driver asked for by name (tests, headless tools) may do that.
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if ((!asked || !*asked) && (driver == "offscreen" || driver == "dummy")) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (error)
      *error = "no display found (DISPLAY is not set or names no running X server); set SDL_VIDEODRIVER to use "
               "another video driver";
    return false;
  }
  return true;
}

namespace {

// Owners that free in the right order: members die in reverse order of declaration, so a canvas
// declared after its renderer frees its textures while the renderer still exists.
struct SdlFree {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
  void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

class WindowHost final : public Host {
 public:
  WindowHost(SDL_Window* w, SDL_Renderer* r)
      : window_(w), renderer_(r), window_owner_(w), renderer_owner_(r), canvas_(r), damage_(canvas_) {
    // The software renderer draws straight into the window's own surface, which keeps its pixels
    // from one frame to the next: only what changed is drawn and handed to the screen. Other
    // renderers forget their back buffer at every present and are drawn whole.
    SDL_RendererInfo info{};
    surface_kept_ = SDL_GetRendererInfo(r, &info) == 0 && info.name && std::string(info.name) == "software";
    RememberWindowed();
  }
  Canvas& GetCanvas() override { return damage_; }
  std::vector<InputEvent> PollEvents() override {
    std::vector<InputEvent> out = TakeQueued();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      CountEvent();
      Translate(e, out);
    }
    return out;
  }
  void WaitForEvent(int timeout_ms) override {
    if (timeout_ms <= 0) return;
    SDL_WaitEventTimeout(nullptr, timeout_ms);  // leaves the event in the queue, in its order
  }
  void Present() override {
    CountPresent();
    ShowChanges();
  }
  void SetCaption(const std::string& caption) override {
    if (caption != caption_) SDL_SetWindowTitle(window_, caption.c_str());
    caption_ = caption;
  }
  bool IsFullScreen() const override { return SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP; }
  void SetFullScreen(bool on) override {
    if (on && !IsFullScreen()) RememberWindowed();
    SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }
  WindowPlacement Placement() const override {
    WindowPlacement p = windowed_;
    p.full = IsFullScreen();
    return p;
  }
  void Restore(const WindowPlacement& stored) override {
    const WindowPlacement p = FitOnDisplay(stored);
    if (p.w >= kMinWidth && p.h >= kMinHeight) SDL_SetWindowSize(window_, p.w, p.h);
    if (p.w > 0 && p.h > 0 && OnSomeDisplay(p)) SDL_SetWindowPosition(window_, p.x, p.y);
    RememberWindowed();
    SetFullScreen(p.full);
  }
  void Show(bool visible) override {
    if (visible) ShowWindowBounded(window_, 5000);
    else SDL_HideWindow(window_);
  }
  bool HasDisplay() const override { return true; }
  std::unique_ptr<Bitmap> ReadPixels() override {
    ShowChanges();
    return canvas_.ReadOutput();
  }
  void InjectKey(int vk, bool down) override {
    const int key = SdlKeyFromVirtual(vk);
    if (!key) return;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window_);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&e);
  }
  void SetTextInput(bool on) override {
    if (on == TextInputOn()) return;
    Host::SetTextInput(on);
    on ? SDL_StartTextInput() : SDL_StopTextInput();
  }

 private:
  static constexpr int kMinWidth = 320, kMinHeight = 200;

  // Draws what changed since the last frame and hands it to the screen; an unchanged frame costs nothing.
  void ShowChanges() {
    const DamageCanvas::Damage damage = damage_.Commit(!surface_kept_);
    if (damage.Empty()) return;
    if (!surface_kept_ || damage.whole) {
      SDL_RenderPresent(renderer_);
      return;
    }
    SDL_RenderFlush(renderer_);
    const RectF picture = canvas_.PictureRect();
    rects_.clear();
    for (const RectF& r : damage.rects) {
      const int l = static_cast<int>(r.left + picture.left), t = static_cast<int>(r.top + picture.top);
      rects_.push_back(SDL_Rect{l, t, static_cast<int>(r.right + picture.left) - l,
                                static_cast<int>(r.bottom + picture.top) - t});
    }
    if (SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size())) != 0)
      SDL_RenderPresent(renderer_);
  }

  void RememberWindowed() {
    if (SDL_GetWindowFlags(window_) & (SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED))
      return;
    SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
    SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
  }
  // The window's top strip (where it is grabbed to move it) must lie on a display, or the
  // player could never reach it; a display taken away since the last run leaves it off all.
  static bool OnSomeDisplay(const WindowPlacement& p) {
    const SDL_Rect grip{p.x, p.y, std::min(p.w, 64), 32};
    const int displays = SDL_GetNumVideoDisplays();
    for (int i = 0; i < displays; ++i) {
      SDL_Rect bounds, overlap;
      if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_IntersectRect(&grip, &bounds, &overlap) &&
          overlap.w * overlap.h == grip.w * grip.h)
        return true;
    }
    return false;
  }

  // A stored size larger than the display it would stand on is cut to that display's usable area:
  // X takes sizes modulo 65536, and a width of 999999999 became a black window 51711 pixels wide,
  // stored again at every close.
  WindowPlacement FitOnDisplay(WindowPlacement p) const {
    int display = SDL_GetWindowDisplayIndex(window_);
    const SDL_Point corner{p.x, p.y};
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
      SDL_Rect bounds;
      if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&corner, &bounds)) display = i;
    }
    SDL_Rect usable;
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return p;
    p.w = std::min(p.w, usable.w);
    p.h = std::min(p.h, usable.h);
    return p;
  }

  static int SdlKeyFromVirtual(int vk) {
    for (int key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_LCTRL, SDLK_RETURN, SDLK_ESCAPE,
                    SDLK_F1, SDLK_F5, SDLK_F12})
      if (VirtualKeyFromSdl(key) == vk) return key;
    return 0;
  }
  void Translate(const SDL_Event& e, std::vector<InputEvent>& out) {
    InputEvent ev;
    int w = 1, h = 1, ow = 1, oh = 1;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const float fx = w > 0 ? float(ow) / w : 1, fy = h > 0 ? float(oh) / h : 1;
    switch (e.type) {
      case SDL_QUIT: ev.type = InputEvent::Type::Quit; break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (IsFullScreenKey(e.key)) {
          if (e.type == SDL_KEYUP || e.key.repeat) return;
          ev.type = InputEvent::Type::ToggleFullScreen;
          break;
        }
        ev.type = e.type == SDL_KEYDOWN ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
        ev.vk = VirtualKeyFromSdl(e.key.keysym.sym);
        if (!ev.vk) return;
        NoteKey(ev.vk, e.type == SDL_KEYDOWN);
        ev.repeat = e.key.repeat != 0;
        break;
      case SDL_TEXTINPUT:
        ev.type = InputEvent::Type::Text;
        ev.text = e.text.text;
        break;
      case SDL_MOUSEWHEEL: {
        if (e.wheel.which == SDL_TOUCH_MOUSEID) return;
        int mx = 0, my = 0;
        SDL_GetMouseState(&mx, &my);
        const float flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        ev.type = InputEvent::Type::Wheel;
        ev.x = mx * fx, ev.y = my * fy;
        ev.wheel_x = e.wheel.preciseX * flip, ev.wheel_y = e.wheel.preciseY * flip;
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.which == SDL_TOUCH_MOUSEID) return;  // the finger event below carries it
        ev.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
        ev.x = e.button.x * fx, ev.y = e.button.y * fy, ev.button = e.button.button;
        break;
      case SDL_MOUSEMOTION:
        if (e.motion.which == SDL_TOUCH_MOUSEID) return;
        ev.type = InputEvent::Type::MouseMove;
        ev.x = e.motion.x * fx, ev.y = e.motion.y * fy;
        break;
      case SDL_FINGERDOWN:
      case SDL_FINGERUP:
      case SDL_FINGERMOTION:
        ev.type = e.type == SDL_FINGERDOWN ? InputEvent::Type::MouseDown
                  : e.type == SDL_FINGERUP ? InputEvent::Type::MouseUp
                                           : InputEvent::Type::MouseMove;
      {
        // The renderer has already made finger positions relative to its viewport (the picture).
        SDL_Rect vp{0, 0, ow, oh};
        SDL_RenderGetViewport(renderer_, &vp);
        if (vp.w <= 0 || vp.h <= 0) vp = SDL_Rect{0, 0, ow, oh};
        ev.x = vp.x + e.tfinger.x * vp.w, ev.y = vp.y + e.tfinger.y * vp.h;
        break;
      }
      case SDL_WINDOWEVENT:
        // A window closed before this one may still have its last events queued.
        if (e.window.windowID != SDL_GetWindowID(window_)) return;
        if (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          RememberWindowed();
        // The screen lost what the window showed, or the window's surface is new.
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          damage_.InvalidateAll();
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
          ev.type = e.window.event == SDL_WINDOWEVENT_FOCUS_LOST ? InputEvent::Type::FocusLost
                                                                 : InputEvent::Type::FocusGained;
          break;
        }
        if (e.window.event != SDL_WINDOWEVENT_SIZE_CHANGED && e.window.event != SDL_WINDOWEVENT_EXPOSED) return;
        ev.type = InputEvent::Type::Resized;
        break;
      default: return;
    }
    if (ev.type == InputEvent::Type::MouseDown || ev.type == InputEvent::Type::MouseUp ||
        ev.type == InputEvent::Type::MouseMove || ev.type == InputEvent::Type::Wheel) {
      // Pointers land on the picture as it is shown, bars and all.
      const RectF picture = canvas_.PictureRect();
      ev.x -= picture.left, ev.y -= picture.top;
      const bool outside = ev.x < 0 || ev.y < 0 || ev.x >= picture.Width() || ev.y >= picture.Height();
      if (outside && ev.type == InputEvent::Type::MouseDown) return;  // a press on a bar is no tap on the field
    }
    out.push_back(ev);
  }

  static bool IsFullScreenKey(const SDL_KeyboardEvent& k) {
    return k.keysym.sym == SDLK_F11 ||
           ((k.keysym.sym == SDLK_RETURN || k.keysym.sym == SDLK_KP_ENTER) && (k.keysym.mod & KMOD_ALT));
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  std::unique_ptr<SDL_Window, SdlFree> window_owner_;
  std::unique_ptr<SDL_Renderer, SdlFree> renderer_owner_;
  SdlCanvas canvas_;
  DamageCanvas damage_;
  bool surface_kept_ = false;
  std::vector<SDL_Rect> rects_;
  std::string caption_;
  WindowPlacement windowed_;
};

class OffscreenHost final : public Host {
 public:
  OffscreenHost(SDL_Surface* s, SDL_Renderer* r, bool track_damage)
      : surface_owner_(s), renderer_owner_(r), canvas_(r), damage_(canvas_), track_damage_(track_damage) {}
  Canvas& GetCanvas() override { return track_damage_ ? static_cast<Canvas&>(damage_) : canvas_; }
  std::vector<InputEvent> PollEvents() override { return TakeQueued(); }
  void WaitForEvent(int) override {}
  void Present() override {
    CountPresent();
    if (track_damage_) damage_.Commit();
  }
  void SetCaption(const std::string& c) override { caption_ = c; }
  bool IsFullScreen() const override { return full_; }
  void SetFullScreen(bool on) override { full_ = on; }
  void Show(bool) override {}
  bool HasDisplay() const override { return false; }
  std::unique_ptr<Bitmap> ReadPixels() override {
    if (track_damage_) damage_.Commit();
    return canvas_.ReadOutput();
  }

 private:
  std::unique_ptr<SDL_Surface, SdlFree> surface_owner_;
  std::unique_ptr<SDL_Renderer, SdlFree> renderer_owner_;
  SdlCanvas canvas_;
  DamageCanvas damage_;
  bool track_damage_;
  std::string caption_;
  bool full_ = false;
};

}  // namespace

std::unique_ptr<Host> CreateWindowHost(int client_w, int client_h, const std::string& title, bool prefer_accelerated,
                                       std::string* error) {
  SDL_DisplayMode mode{};
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    // Centred as left = screen/2 - client/2, rounded.
    x = static_cast<int>(std::nearbyint(mode.w / 2.0 - client_w / 2.0));
    y = static_cast<int>(std::nearbyint(mode.h / 2.0 - client_h / 2.0));
  }
  // Hidden at first: SDL would wait for the window to be mapped without a bound.
  SDL_Window* w = SDL_CreateWindow(title.c_str(), x, y, client_w, client_h,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
  if (!w) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  if (const EmbeddedFile* icon = FindEmbeddedFile("icon.png")) {
    if (std::unique_ptr<Bitmap> bmp = Bitmap::Decode(icon->data, icon->size)) {
      SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(bmp->Pixels(), bmp->Width(), bmp->Height(), 32,
                                                          bmp->Width() * 4, SDL_PIXELFORMAT_ARGB8888);
      if (s) {
        SDL_SetWindowIcon(w, s);
        SDL_FreeSurface(s);
      }
    }
  }
  // Without a GPU the software renderer costs about half the CPU of OpenGL on llvmpipe, and the
  // frame loop paces itself, so vsync is not wanted either.
  SDL_Renderer* r = nullptr;
  if (!prefer_accelerated) {
    // The window's own framebuffer, not an OpenGL texture standing in for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!r) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED);
  if (!r) r = SDL_CreateRenderer(w, -1, 0);
  if (!r) {
    if (error) *error = SDL_GetError();
    SDL_DestroyWindow(w);
    return nullptr;
  }
  // The window stays hidden until the game has placed it and has a picture for it (Host::Show).
  // SDL turns text input on by itself; only a form that takes typed text wants it.
  SDL_StopTextInput();
  return std::make_unique<WindowHost>(w, r);
}

std::unique_ptr<Host> CreateOffscreenHost(int w, int h, bool track_damage) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return nullptr;
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
  if (!r) {
    SDL_FreeSurface(s);
    return nullptr;
  }
  return std::make_unique<OffscreenHost>(s, r, track_damage);
}

}  // namespace kirpo
