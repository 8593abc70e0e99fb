#include "platform/Form.h"

#include <stdexcept>

#include "platform/Bitmap.h"

namespace kirpo {

Widget& Form::AddLabel(const std::string& name, float x, float y, float w, float h, const std::string& text,
                       float font_size, uint32_t color, TextAlign align) {
  auto wd = std::make_unique<Widget>();
  wd->kind = Widget::Kind::Label;
  wd->name = name;
  wd->x = x, wd->y = y, wd->w = w, wd->h = h;
  wd->text = text;
  wd->font_size = font_size;
  wd->color = color;
  wd->align = align;
  wd->hit_test = false;
  widgets_.push_back(std::move(wd));
  return *widgets_.back();
}

Widget& Form::AddImage(const std::string& name, float x, float y, float w, float h, const Bitmap* picture) {
  auto wd = std::make_unique<Widget>();
  wd->kind = Widget::Kind::Image;
  wd->name = name;
  wd->x = x, wd->y = y, wd->w = w, wd->h = h;
  wd->picture = picture;
  widgets_.push_back(std::move(wd));
  return *widgets_.back();
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

void Form::Draw(Canvas& canvas, float alpha) const {
  if (!visible) return;
  const float sx = canvas.Width() / design_w_, sy = canvas.Height() / design_h_;
  for (const auto& wp : widgets_) {
    const Widget& w = *wp;
    if (!w.visible || w.opacity <= 0) continue;
    const RectF dst{w.x * sx, w.y * sy, (w.x + w.w) * sx, (w.y + w.h) * sy};
    const float a = w.opacity * alpha;
    if (w.kind == Widget::Kind::Label) {
      canvas.DrawText(w.text, dst, w.font_size * sy, false, w.color, a, w.align, TextAlign::Leading);
    } else if (w.on_paint) {
      w.on_paint(canvas, dst);
    } else if (w.picture && !w.picture->Empty()) {
      const RectF src{0, 0, float(w.picture->Width()), float(w.picture->Height())};
      if (w.rotation != 0)
        canvas.DrawBitmapRotated(*w.picture, src, dst, w.rotation, a,
                                 RectF{0, 0, float(canvas.Width()), float(canvas.Height())});
      else
        canvas.DrawBitmap(*w.picture, src, dst, a);
    }
  }
}

Widget* Form::HitTest(float lx, float ly) const {
  for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
    Widget* w = it->get();
    if (w->visible && w->hit_test && w->Contains(lx, ly)) return w;
  }
  return nullptr;
}

bool Form::MouseDown(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return false;
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  Widget* w = HitTest(lx, ly);
  pressed_ = w;
  if (!w) return false;
  if (w->on_mouse_down) w->on_mouse_down(lx - w->x, ly - w->y);
  return true;
}

bool Form::MouseUp(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return false;
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  Widget* w = HitTest(lx, ly);
  Widget* pressed = pressed_;
  pressed_ = nullptr;
  if (!w) return pressed != nullptr;
  if (w->on_mouse_up) w->on_mouse_up(lx - w->x, ly - w->y);
  if (w == pressed && w->on_click) w->on_click();
  return true;
}

void Form::MouseMove(float px, float py, int cw, int ch) {
  if (!visible || cw <= 0 || ch <= 0) return;
  const float lx = px * design_w_ / cw, ly = py * design_h_ / ch;
  Widget* w = HitTest(lx, ly);
  if (hovered_ && hovered_ != w && hovered_->on_mouse_leave) hovered_->on_mouse_leave();
  hovered_ = w;
}

std::string Form::HintAt(float px, float py, int cw, int ch) const {
  if (!visible || cw <= 0 || ch <= 0) return {};
  Widget* w = HitTest(px * design_w_ / cw, py * design_h_ / ch);
  return w ? w->hint : std::string();
}

}  // namespace kirpo
