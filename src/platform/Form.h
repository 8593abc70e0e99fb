#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace kirpo {

class Bitmap;

// One control of a window layout: a label or an image, placed in the layout's own units.
struct Widget {
  enum class Kind { Label, Image };
  Kind kind = Kind::Image;
  std::string name;
  float x = 0, y = 0, w = 0, h = 0;
  bool visible = true;
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

  // Image
  const Bitmap* picture = nullptr;
  // Drawn instead of picture when set (a glyph that paints itself).
  std::function<void(Canvas&, const RectF&)> on_paint;

  std::function<void()> on_click;
  std::function<void(float x, float y)> on_mouse_down;  // layout units
  std::function<void(float x, float y)> on_mouse_up;
  std::function<void()> on_mouse_leave;

  bool Contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// A scaled layout: widgets in design units stretched over the canvas it is drawn on.
class Form {
 public:
  Form(float design_width, float design_height) : design_w_(design_width), design_h_(design_height) {}

  Widget& AddLabel(const std::string& name, float x, float y, float w, float h, const std::string& text,
                   float font_size, uint32_t color, TextAlign align = TextAlign::Leading);
  Widget& AddImage(const std::string& name, float x, float y, float w, float h, const Bitmap* picture);
  Widget* Find(const std::string& name);
  Widget& Get(const std::string& name);  // the widget must exist
  const std::vector<std::unique_ptr<Widget>>& Widgets() const { return widgets_; }

  float DesignWidth() const { return design_w_; }
  float DesignHeight() const { return design_h_; }
  bool visible = true;

  // Draws every visible widget in order; alpha multiplies every widget's opacity.
  void Draw(Canvas& canvas, float alpha) const;

  // Mouse in canvas pixels. Returns true when a widget took the event.
  bool MouseDown(float px, float py, int canvas_w, int canvas_h);
  bool MouseUp(float px, float py, int canvas_w, int canvas_h);
  void MouseMove(float px, float py, int canvas_w, int canvas_h);
  // The hint of the widget under the pointer, or empty.
  std::string HintAt(float px, float py, int canvas_w, int canvas_h) const;

 private:
  Widget* HitTest(float lx, float ly) const;
  float design_w_, design_h_;
  std::vector<std::unique_ptr<Widget>> widgets_;
  Widget* pressed_ = nullptr;
  Widget* hovered_ = nullptr;
};

}  // namespace kirpo
