#include "platform/HorizontalList.h"

#include <algorithm>
#include <cmath>

#include "common/Consts.h"

namespace kirpo {

HorizontalList::HorizontalList(Widget& box, float item_width) : box_(box), item_w_(item_width) {
  box_.focusable = true;
  box_.hit_test = true;
  box_.on_paint = [this](Canvas& c, const RectF& dst) { Paint(c, dst); };
  box_.on_mouse_down = [this](float x, float) {
    press_x_ = x;
    press_scroll_ = scroll_;
    swiping_ = false;
  };
  box_.on_drag = [this](float x, float) {
    if (!swiping_ && std::fabs(x - press_x_) < SwipeDistance) return;
    swiping_ = true;
    scroll_ = std::clamp(press_scroll_ - (x - press_x_), 0.0f, MaxScroll());
  };
  box_.on_mouse_up = [this](float x, float) {
    if (swiping_) {
      swiping_ = false;
      return;
    }
    const int index = ItemAt(x);
    if (index < 0) return;
    Select(index);
    if (on_item_click) on_item_click(index);
  };
  box_.on_wheel = [this](float steps_x, float steps_y) { ScrollBy((steps_x - steps_y) * WheelStep); };
  box_.on_key_down = [this](int vk, bool) {
    if (vk != VK_LEFT && vk != VK_RIGHT) return false;
    if (!items_.empty()) Select(std::max(0, selected_) + (vk == VK_LEFT ? -1 : 1));
    return true;
  };
}

void HorizontalList::Clear() {
  items_.clear();
  selected_ = -1;
  scroll_ = 0;
}

void HorizontalList::Add(Item item) { items_.push_back(std::move(item)); }

void HorizontalList::Select(int index) {
  if (items_.empty()) return;
  index = std::clamp(index, 0, Count() - 1);
  const bool changed = index != selected_;
  selected_ = index;
  KeepSelectionVisible();
  if (changed && on_change) on_change(index);
}

void HorizontalList::ScrollBy(float units) { scroll_ = std::clamp(scroll_ + units, 0.0f, MaxScroll()); }

int HorizontalList::ItemAt(float x) const {
  if (x < 0 || x >= box_.w) return -1;
  const int index = static_cast<int>(std::floor((x + scroll_) / item_w_));
  return index >= 0 && index < Count() ? index : -1;
}

float HorizontalList::MaxScroll() const { return std::max(0.0f, Count() * item_w_ - box_.w); }

void HorizontalList::KeepSelectionVisible() {
  const float left = selected_ * item_w_, right = left + item_w_;
  if (left < scroll_) scroll_ = left;
  if (right > scroll_ + box_.w) scroll_ = right - box_.w;
  scroll_ = std::clamp(scroll_, 0.0f, MaxScroll());
}

void HorizontalList::Paint(Canvas& canvas, const RectF& dst) const {
  if (box_.w <= 0) return;
  const float scale = dst.Width() / box_.w;
  canvas.SetClip(dst);
  const int first = std::max(0, static_cast<int>(scroll_ / item_w_));
  for (int i = first; i < Count(); ++i) {
    const float left = dst.left + (i * item_w_ - scroll_) * scale;
    if (left >= dst.right) break;
    const RectF cell{left, dst.top, left + item_w_ * scale, dst.bottom};
    canvas.FillRect(cell, i % 2 ? odd_background : even_background, 1.0f);
    if (paint_item) paint_item(canvas, cell, items_[static_cast<size_t>(i)], i, i == selected_, scale);
  }
  canvas.ResetClip();
}

void DrawNumberTag(Canvas& canvas, const RectF& box, const std::string& text, uint32_t top_argb, uint32_t bottom_argb,
                   float radius, float text_px, uint32_t text_argb) {
  canvas.FillRoundRect(box, radius, top_argb, bottom_argb, 1.0f);
  canvas.DrawText(text, box, text_px, true, text_argb, 1.0f, TextAlign::Center, TextAlign::Center);
}

}  // namespace kirpo
