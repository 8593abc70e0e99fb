#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace kirpo {

class Bitmap;

// One control of a window layout: a label, an image or a panel, placed in the layout's own units.
struct Widget {
  enum class Kind { Label, Image, Panel };
  Kind kind = Kind::Image;
  std::string name;
  float x = 0, y = 0, w = 0, h = 0;
  bool visible = true;
  // Shown and hit only while the parent (and its parents) are visible too: a panel and its contents.
  Widget* parent = nullptr;
  float opacity = 1.0f;
  int tag = 0;
  float rotation = 0;  // degrees, clockwise, about the centre
  bool hit_test = true;
  std::string hint;

  // Label
  std::string text;
  float font_size = 24;
  uint32_t color = 0xFFFFFFFF;
  TextAlign align = TextAlign::Leading;
  TextAlign valign = TextAlign::Leading;
  bool bold = false;  // the one embedded face, emboldened

  // Image
  const Bitmap* picture = nullptr;
  // Drawn instead of picture when set (a glyph that paints itself).
  std::function<void(Canvas&, const RectF&)> on_paint;

  // Panel: a rounded rectangle filled with a vertical gradient (fill to fill_bottom; fill_bottom 0 means
  // plain fill), with an outline when stroke_width > 0. Colours 0xAARRGGBB.
  uint32_t fill = 0, fill_bottom = 0, stroke = 0;
  float stroke_width = 0, radius = 0;

  // Keyboard: a focusable widget takes key events while it has the focus. A focus frame is an orange
  // outline drawn 4 units inside the widget while it has the focus and its form is active.
  bool focusable = false;
  bool focus_frame = false;
  std::function<bool(int vk, bool repeat)> on_key_down;  // true when the key was used
  std::function<bool(int vk)> on_key_up;
  std::function<void(bool focused)> on_focus;

  // Pointer. Coordinates are layout units relative to the widget.
  std::function<void()> on_click;  // press and release on the same widget
  std::function<void(float x, float y)> on_mouse_down;
  std::function<void(float x, float y)> on_mouse_up;  // only after a press on the same widget
  std::function<void(float x, float y)> on_drag;  // the pointer moved while this widget is held
  std::function<void(float steps_x, float steps_y)> on_wheel;
  std::function<void()> on_mouse_enter;
  std::function<void()> on_mouse_leave;
  bool hovered = false;  // the pointer is over it
  bool held = false;     // pressed and not yet released
  // While held with the pointer over it, on_repeat runs every repeat_ms (an arrow that keeps stepping).
  int repeat_ms = 0;
  std::function<void()> on_repeat;

  bool Contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  bool IsShown() const {
    for (const Widget* p = this; p; p = p->parent)
      if (!p->visible) return false;
    return true;
  }
};

// A timer of a form: runs fire every interval ms while enabled, from the frame loop.
struct LayoutTimer {
  bool enabled = false;
  int64_t interval = 1000;
  int64_t last = 0;  // game clock of enabling or of the last firing
  std::function<void()> fire;
  void Enable(bool on, int64_t now) {
    if (on && !enabled) last = now;
    enabled = on;
  }
};

// A scaled layout: widgets in design units stretched over the canvas it is drawn on. A form is also a
// screen: the window shows one form at a time (see the shell), and the form takes the keys, typed text,
// pointer and timers while it is shown.
class Form {
 public:
  Form(float design_width, float design_height) : design_w_(design_width), design_h_(design_height) {}

  Widget& AddLabel(const std::string& name, float x, float y, float w, float h, const std::string& text,
                   float font_size, uint32_t color, TextAlign align = TextAlign::Leading);
  Widget& AddImage(const std::string& name, float x, float y, float w, float h, const Bitmap* picture);
  Widget& AddPanel(const std::string& name, float x, float y, float w, float h, uint32_t fill, float radius = 0);
  Widget* Find(const std::string& name);
  Widget& Get(const std::string& name);  // the widget must exist
  const std::vector<std::unique_ptr<Widget>>& Widgets() const { return widgets_; }

  float DesignWidth() const { return design_w_; }
  float DesignHeight() const { return design_h_; }
  bool visible = true;
  // The form is the one shown in the window; focus frames show only then.
  bool active = true;

  // Something shown may have changed since the last paint: input reached the form or one of its timers
  // ran. A screen is repainted only then (and now and again regardless); a change made from elsewhere
  // (a periodic callback) sets it itself.
  bool dirty = true;

  // Draws every visible widget in order; alpha multiplies every widget's opacity.
  void Draw(Canvas& canvas, float alpha) const;
  // A digest of what Draw would show from the widgets' own fields: two equal digests mean an
  // unchanged picture, so a still screen need not be drawn again. Self-painting widgets are
  // covered only by their place and visibility.
  uint64_t Fingerprint() const;

  // Mouse in canvas pixels. Returns true when a widget took the event.
  bool MouseDown(float px, float py, int canvas_w, int canvas_h);
  bool MouseUp(float px, float py, int canvas_w, int canvas_h);
  void MouseMove(float px, float py, int canvas_w, int canvas_h);
  bool Wheel(float px, float py, float steps_x, float steps_y, int canvas_w, int canvas_h);
  // The hint of the widget under the pointer, or empty.
  std::string HintAt(float px, float py, int canvas_w, int canvas_h) const;
  // Forgets the pressed and hovered widgets and a wait not yet run (the form stops being shown).
  void ReleasePointer();

  // Keyboard focus: keys go to the focused widget first, then to the form's own handlers.
  void SetFocus(Widget* w);
  Widget* Focused() const { return focused_; }
  bool KeyDown(int vk, bool repeat);
  bool KeyUp(int vk);
  void TextInput(const std::string& text);
  std::function<bool(int vk, bool repeat)> on_key_down;
  std::function<bool(int vk)> on_key_up;
  std::function<void(const std::string& text)> on_text;
  // Typed characters (SDL text input) are wanted while this form is shown.
  bool wants_text_input = false;

  // A moment before a change the player should see coming (the chosen level before it starts, a
  // panel before the next one): then runs once that many ms after now, from RunTimers. Until it
  // has run the form takes no input, and a key pressed meanwhile is not released onto it either,
  // so one click cannot start a second outcome. A new wait replaces one not yet run.
  void Wait(int64_t now, int64_t ms, std::function<void()> then);
  bool Waiting() const { return static_cast<bool>(wait_then_); }

  // Timers and held-widget repeats, run by the frame loop while the form is shown.
  LayoutTimer& AddTimer(int64_t interval, std::function<void()> fire);
  void RunTimers(int64_t now);
  // Game clock of the next due timer or repeat; INT64_MAX when nothing is due.
  int64_t NextDue() const;

  // Screen changes: the form became the shown one, stopped being shown, or the program ends while it is
  // shown (the window closed, Esc): a form keeps what the player has entered before that.
  std::function<void()> on_show;
  std::function<void()> on_hide;
  std::function<void()> on_close;

 private:
  Widget& Add(Widget::Kind kind, const std::string& name, float x, float y, float w, float h);
  Widget* HitTest(float lx, float ly) const;
  void SetHovered(Widget* w);
  float design_w_, design_h_;
  std::vector<std::unique_ptr<Widget>> widgets_;
  std::vector<std::unique_ptr<LayoutTimer>> timers_;
  Widget* pressed_ = nullptr;
  Widget* hovered_ = nullptr;
  Widget* focused_ = nullptr;
  // The widget that took each key's press: a release reaches a widget only after its own press, so a key
  // pressed before a panel changed does not act on the panel that replaced it.
  std::array<Widget*, 256> key_down_widget_{};
  int64_t repeat_last_ = 0;
  bool repeat_started_ = false;
  int64_t wait_until_ = 0;
  std::function<void()> wait_then_;
  std::array<bool, 256> pressed_while_waiting_{};
};

}  // namespace kirpo
