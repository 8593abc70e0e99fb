#include "platform/Form.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/Bitmap.h"

namespace kirpo {

Widget& Form::Add(Widget::Kind kind, const std::string& name, float x, float y, float w, float h) {
  auto wd = std::make_unique<Widget>();
  wd->kind = kind;
  wd->name = name;
  wd->x = x, wd->y = y, wd->w = w, wd->h = h;
  // Labels and panels let clicks through to what lies under them unless told otherwise.
  wd->hit_test = kind == Widget::Kind::Image;
  widgets_.push_back(std::move(wd));
  return *widgets_.back();
}

Widget& Form::AddLabel(const std::string& name, float x, float y, float w, float h, const std::string& text,
                       float font_size, uint32_t color, TextAlign align) {
  Widget& wd = Add(Widget::Kind::Label, name, x, y, w, h);
  wd.text = text;
  wd.font_size = font_size;
  wd.color = color;
  wd.align = align;
  return wd;
}

Widget& Form::AddImage(const std::string& name, float x, float y, float w, float h, const Bitmap* picture) {
  Widget& wd = Add(Widget::Kind::Image, name, x, y, w, h);
  wd.picture = picture;
  return wd;
}

Widget& Form::AddPanel(const std::string& name, float x, float y, float w, float h, uint32_t fill, float radius) {
  Widget& wd = Add(Widget::Kind::Panel, name, x, y, w, h);
  wd.fill = fill;
  wd.radius = radius;
  return wd;
}

Widget* Form::Find(const std::string& name) {
  for (auto& w : widgets_)
    if (w->name == name) return w.get();
  return nullptr;
}

Widget& Form::Get(const std::string& name) {
  Widget* w = Find(name);
  if (!w) throw std::logic_error("no widget " + name);
  return *w;
}

namespace {

// FNV-1a, enough to tell one still picture from the next.
class Digest {
 public:
  template <typename T>
  void Add(const T& v) {
    AddBytes(&v, sizeof v);
  }
  void Add(const std::string& s) {
    Add(s.size());
    AddBytes(s.data(), s.size());
  }
  uint64_t Value() const { return h_; }

 private:
  void AddBytes(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
  }
  uint64_t h_ = 14695981039346656037ull;
};

}  // namespace

uint64_t Form::Fingerprint() const {
  Digest d;
  d.Add(visible), d.Add(active), d.Add(focused_);
  for (const auto& wp : widgets_) {
    const Widget& w = *wp;
    d.Add(w.IsShown());
    if (!w.IsShown()) continue;
    d.Add(w.x), d.Add(w.y), d.Add(w.w), d.Add(w.h), d.Add(w.opacity), d.Add(w.rotation), d.Add(w.tag);
    d.Add(w.text), d.Add(w.font_size), d.Add(w.color), d.Add(w.picture), d.Add(w.fill), d.Add(w.fill_bottom);
    d.Add(w.stroke), d.Add(w.stroke_width), d.Add(w.hovered), d.Add(w.held);
  }
  return d.Value();
}

void Form::Draw(Canvas& canvas, float alpha) const {
  if (!visible) return;
  const float sx = canvas.Width() / design_w_, sy = canvas.Height() / design_h_;
  // Lengths that are not along one axis (corner radii, outlines) take the mean of both scales.
  const float s = (sx + sy) / 2;
  for (const auto& wp : widgets_) {
    const Widget& w = *wp;
    if (!w.IsShown() || w.opacity <= 0) continue;
    const RectF dst{w.x * sx, w.y * sy, (w.x + w.w) * sx, (w.y + w.h) * sy};
    const float a = w.opacity * alpha;
    if (w.kind == Widget::Kind::Label) {
      canvas.DrawText(w.text, dst, w.font_size * sy, w.bold, w.color, a, w.align, w.valign);
    } else if (w.kind == Widget::Kind::Panel) {
      if (w.fill) canvas.FillRoundRect(dst, w.radius * s, w.fill, w.fill_bottom ? w.fill_bottom : w.fill, a);
      if (w.stroke_width > 0) canvas.StrokeRoundRect(dst, w.radius * s, w.stroke_width * s, w.stroke, a);
    }
    if (w.on_paint) {
      w.on_paint(canvas, dst);
    } else if (w.kind == Widget::Kind::Image && w.picture && !w.picture->Empty()) {
      const RectF src{0, 0, float(w.picture->Width()), float(w.picture->Height())};
      if (w.rotation != 0)
        canvas.DrawBitmapRotated(*w.picture, src, dst, w.rotation, a,
                                 RectF{0, 0, float(canvas.Width()), float(canvas.Height())});
      else
        canvas.DrawBitmap(*w.picture, src, dst, a);
    }
    if (w.focus_frame && active && focused_ == &w) {
      const float inset = 4 * s;
      const RectF frame{dst.left + inset, dst.top + inset, dst.right - inset, dst.bottom - inset};
      canvas.StrokeRoundRect(frame, std::max(0.0f, w.radius * s - inset), 4 * s, 0xFFFFA500, 1.0f);
    }
  }
}

Widget* Form::HitTest(float lx, float ly) const {
  for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
    Widget* w = it->get();
    if (w->hit_test && w->IsShown() && w->Contains(lx, ly)) return w;
  }
  return nullptr;
}

void Form::SetHovered(Widget* w) {
  if (w == hovered_) return;
  Widget* old = hovered_;
  hovered_ = w;
  if (old) {
    old->hovered = false;
    if (old->on_mouse_leave) old->on_mouse_leave();
  }
  if (w) {
    w->hovered = true;
    if (w->on_mouse_enter) w->on_mouse_enter();
  }
}

bool Form::MouseDown(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return false;
  if (Waiting()) return true;
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  Widget* w = HitTest(lx, ly);
  if (pressed_) pressed_->held = false;
  pressed_ = w;
  repeat_started_ = false;
  SetHovered(w);  // a touch arrives without a hover before it
  if (!w) return false;
  w->held = true;
  if (w->focusable) SetFocus(w);
  if (w->on_mouse_down) w->on_mouse_down(lx - w->x, ly - w->y);
  return true;
}

bool Form::MouseUp(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return false;
  if (Waiting()) {
    if (pressed_) pressed_->held = false;
    pressed_ = nullptr;
    return true;
  }
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  Widget* w = HitTest(lx, ly);
  Widget* pressed = pressed_;
  pressed_ = nullptr;
  if (pressed) pressed->held = false;
  // The pointer is over w now, even if it came there without a move (a finger lifted elsewhere).
  if (pressed && pressed != w) SetHovered(w);
  if (!w) return pressed != nullptr;
  // A release belongs to the widget that took the press: one that began elsewhere (an arrow held and
  // slid off onto a list) is no click on what lies under the pointer now.
  if (w != pressed) return true;
  if (w->on_mouse_up) w->on_mouse_up(lx - w->x, ly - w->y);
  if (w->on_click) w->on_click();
  return true;
}

void Form::MouseMove(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return;
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  SetHovered(HitTest(lx, ly));
  if (pressed_ && pressed_->on_drag) pressed_->on_drag(lx - pressed_->x, ly - pressed_->y);
}

bool Form::Wheel(float px, float py, float steps_x, float steps_y, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return false;
  if (Waiting()) return true;
  Widget* w = HitTest(px * design_w_ / cw, py * design_h_ / ch);
  if (!w || !w->on_wheel) return false;
  w->on_wheel(steps_x, steps_y);
  return true;
}

std::string Form::HintAt(float px, float py, int cw, int ch) const {
  if (!visible || cw <= 0 || ch <= 0) return {};
  Widget* w = HitTest(px * design_w_ / cw, py * design_h_ / ch);
  return w ? w->hint : std::string();
}

void Form::ReleasePointer() {
  key_down_widget_ = {};
  // A change the form waited to show has no place once another screen is up.
  wait_then_ = nullptr;
  pressed_while_waiting_ = {};
  if (pressed_) pressed_->held = false;
  pressed_ = nullptr;
  SetHovered(nullptr);
}

void Form::SetFocus(Widget* w) {
  if (w == focused_) return;
  Widget* old = focused_;
  focused_ = w;
  if (old && old->on_focus) old->on_focus(false);
  if (w && w->on_focus) w->on_focus(true);
}

bool Form::KeyDown(int vk, bool repeat) {
  if (Waiting()) {
    if (vk > 0 && vk < 256) pressed_while_waiting_[static_cast<size_t>(vk)] = true;
    return true;
  }
  Widget* target = focused_ && focused_->IsShown() ? focused_ : nullptr;
  if (vk > 0 && vk < 256) key_down_widget_[static_cast<size_t>(vk)] = target;
  if (target && target->on_key_down && target->on_key_down(vk, repeat)) return true;
  return on_key_down && on_key_down(vk, repeat);
}

bool Form::KeyUp(int vk) {
  if (vk > 0 && vk < 256 && pressed_while_waiting_[static_cast<size_t>(vk)]) {
    pressed_while_waiting_[static_cast<size_t>(vk)] = false;
    return true;
  }
  if (Waiting()) return true;
  Widget* pressed_on = nullptr;
  if (vk > 0 && vk < 256) std::swap(pressed_on, key_down_widget_[static_cast<size_t>(vk)]);
  Widget* target = focused_ && focused_->IsShown() ? focused_ : nullptr;
  if (target && target == pressed_on && target->on_key_up && target->on_key_up(vk)) return true;
  return on_key_up && on_key_up(vk);
}

void Form::TextInput(const std::string& text) {
  if (Waiting()) return;
  if (on_text) on_text(text);
}

LayoutTimer& Form::AddTimer(int64_t interval, std::function<void()> fire) {
  auto t = std::make_unique<LayoutTimer>();
  t->interval = interval;
  t->fire = std::move(fire);
  timers_.push_back(std::move(t));
  return *timers_.back();
}

void Form::Wait(int64_t now, int64_t ms, std::function<void()> then) {
  wait_until_ = now + ms;
  wait_then_ = std::move(then);
  if (pressed_) pressed_->held = false;
  pressed_ = nullptr;
  dirty = true;
}

void Form::RunTimers(int64_t now) {
  if (wait_then_ && now >= wait_until_) {
    std::function<void()> then = std::move(wait_then_);
    wait_then_ = nullptr;
    dirty = true;
    then();
  }
  for (const auto& t : timers_) {
    if (!t->enabled || now - t->last < t->interval) continue;
    t->last = now;
    dirty = true;
    if (t->fire) t->fire();
  }
  Widget* w = pressed_;
  if (!w || w->repeat_ms <= 0 || !w->on_repeat) return;
  if (!repeat_started_) {
    repeat_started_ = true;
    repeat_last_ = now;
  } else if (now - repeat_last_ >= w->repeat_ms) {
    repeat_last_ = now;
    // Only while the pointer is still on it: sliding off an arrow stops the stepping.
    if (w->hovered) w->on_repeat(), dirty = true;
  }
}

int64_t Form::NextDue() const {
  int64_t next = wait_then_ ? wait_until_ : INT64_MAX;
  for (const auto& t : timers_)
    if (t->enabled) next = std::min(next, t->last + t->interval);
  if (pressed_ && pressed_->repeat_ms > 0 && pressed_->on_repeat)
    next = std::min(next, repeat_started_ ? repeat_last_ + pressed_->repeat_ms : int64_t{0});
  return next;
}

}  // namespace kirpo
