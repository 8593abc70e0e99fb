#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace kirpo {

struct InputEvent {
  enum class Type { Quit, KeyDown, KeyUp, MouseDown, MouseUp, MouseMove, Resized, Text, Wheel, FocusLost, FocusGained,
                    ToggleFullScreen };
  Type type = Type::Quit;
  int vk = 0;           // virtual-key code for key events
  bool repeat = false;  // a key down sent again by the keyboard's auto-repeat
  float x = 0, y = 0;   // canvas pixels for mouse and touch events (the pointer's place for Wheel)
  int button = 1;       // 1 left, 2 middle, 3 right
  float wheel_x = 0, wheel_y = 0;  // Wheel: steps to the right and away from the user
  std::string text;     // Text: the typed characters, UTF-8
};

// Where the window stands when it is not full screen, and whether it is full screen.
struct WindowPlacement {
  int x = 0, y = 0, w = 0, h = 0;
  bool full = false;
};

// What the game runs in: a real window or an offscreen picture. Both are real SDL renderers.
class Host {
 public:
  virtual ~Host() = default;
  virtual Canvas& GetCanvas() = 0;
  // Moves pending window-system events into the host; returns them in order.
  virtual std::vector<InputEvent> PollEvents() = 0;
  // Blocks until an event arrives or timeout_ms passes (0: do not block).
  virtual void WaitForEvent(int timeout_ms) = 0;
  virtual void Present() = 0;
  // How many pictures were handed to the screen so far.
  int64_t Presents() const { return presents_; }
  // How many events the window system delivered so far, of every kind, also those the game has no
  // use for (a pad's buttons, an exposed window): each may change what the next frame reads.
  int64_t EventsTaken() const { return events_taken_; }
  virtual void SetCaption(const std::string& caption) = 0;
  virtual bool IsFullScreen() const = 0;
  virtual void SetFullScreen(bool on) = 0;
  virtual void Show(bool visible) = 0;
  // The window's last size and position outside full screen; nothing for an offscreen picture.
  virtual WindowPlacement Placement() const { return {0, 0, 0, 0, IsFullScreen()}; }
  // Puts the window back where a placement says. A position off every current display is not
  // used, nor a size too small to play in.
  virtual void Restore(const WindowPlacement& p) { SetFullScreen(p.full); }
  virtual bool HasDisplay() const = 0;
  // The canvas's current pixels.
  virtual std::unique_ptr<Bitmap> ReadPixels() = 0;
  // Typed characters arrive as Text events only while text input is on (it is off at start).
  virtual void SetTextInput(bool on) { text_input_ = on; }
  bool TextInputOn() const { return text_input_; }

  // Queues an event as if the window system had sent it (tests, and the offscreen host's only input).
  // Key events also update the key state.
  void Inject(const InputEvent& e);
  // Keys held down right now, by virtual-key code.
  const std::array<bool, 256>& KeysDown() const { return down_; }

  // The keyboard as 256 bytes by virtual-key code, bit 7 = down. A key pressed and released
  // between two reads still reads as down once, so a short tap is never lost.
  std::array<uint8_t, 256> ReadKeyState();
  void NoteKey(int vk, bool down);
  // Forgets short taps not yet read, so that they do not reach a screen that appears after them.
  void ForgetTaps() { pressed_since_read_ = {}; }
  // A key press or release as if the player made it. A window sends it through the window
  // system's event queue, so it takes the way a real key takes; elsewhere it is noted at once.
  virtual void InjectKey(int vk, bool down) { NoteKey(vk, down); }
  // A pointer event as if the window system delivered it: the next PollEvents returns it first.
  void QueueEvent(const InputEvent& e) { queued_.push_back(e); }

 protected:
  void CountPresent() { ++presents_; }
  void CountEvent() { ++events_taken_; }
  std::vector<InputEvent> TakeQueued() {
    std::vector<InputEvent> out;
    out.swap(queued_);
    events_taken_ += static_cast<int64_t>(out.size());
    return out;
  }

 private:
  bool text_input_ = false;
  int64_t presents_ = 0;
  int64_t events_taken_ = 0;
  std::array<bool, 256> down_{};
  std::array<bool, 256> pressed_since_read_{};
  std::vector<InputEvent> queued_;
};

// SDL_Init for video (and events); returns false with the reason when no video driver works.
bool InitVideo(std::string* error);

std::unique_ptr<Host> CreateWindowHost(int client_w, int client_h, const std::string& title, bool prefer_accelerated,
                                       std::string* error);
// track_damage: drawing goes through a DamageCanvas and each present draws only what changed, as in
// the window.
std::unique_ptr<Host> CreateOffscreenHost(int w, int h, bool track_damage = false);

// Maps an SDL keycode to the game's virtual-key code; 0 when the game has no use for it.
int VirtualKeyFromSdl(int sdl_keycode);

}  // namespace kirpo
