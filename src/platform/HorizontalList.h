#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Form.h"

namespace kirpo {

// A horizontal row of equal items shown in one widget's box, without scroll bars: the mouse wheel, a
// swipe and the selection scroll it. A swipe is not a click. Left and Right move the selection while the
// box has the focus; the selected item is always scrolled into view.
class HorizontalList {
 public:
  struct Item {
    std::string text;
    const Bitmap* picture = nullptr;
    RectF source;  // the part of picture that the item shows
  };
  // How one item looks: cell is its box in canvas pixels, scale the canvas pixels per layout unit.
  using PaintItem = std::function<void(Canvas&, const RectF& cell, const Item&, int index, bool selected, float scale)>;

  // Takes over the widget's painting, pointer, wheel and keys.
  HorizontalList(Widget& box, float item_width);

  void Clear();
  void Add(Item item);
  int Count() const { return static_cast<int>(items_.size()); }
  const Item& At(int index) const { return items_.at(static_cast<size_t>(index)); }
  // -1 when nothing is selected.
  int Selected() const { return selected_; }
  // Selects the item (clamped to the list), scrolls it into view and reports a change.
  void Select(int index);
  // Layout units the row is scrolled to the left; kept between 0 and the row's overflow.
  float Scroll() const { return scroll_; }
  void ScrollBy(float units);
  // The item under x (layout units relative to the box), or -1.
  int ItemAt(float x) const;

  PaintItem paint_item;
  uint32_t even_background = 0xFF1A1A2E, odd_background = 0xFF242442;
  std::function<void(int index)> on_change;
  std::function<void(int index)> on_item_click;

  // A press that moves further than this (layout units) is a swipe, not a click.
  static constexpr float SwipeDistance = 10;
  // Layout units one wheel step scrolls.
  static constexpr float WheelStep = 74;

 private:
  void Paint(Canvas& canvas, const RectF& dst) const;
  void KeepSelectionVisible();
  float MaxScroll() const;

  Widget& box_;
  float item_w_;
  std::vector<Item> items_;
  int selected_ = -1;
  float scroll_ = 0;
  float press_x_ = 0, press_scroll_ = 0;
  bool swiping_ = false;
};

// A small label whose rectangle is filled with a vertical gradient, such as a list item's number.
void DrawNumberTag(Canvas& canvas, const RectF& box, const std::string& text, uint32_t top_argb, uint32_t bottom_argb,
                   float radius, float text_px, uint32_t text_argb);

}  // namespace kirpo
