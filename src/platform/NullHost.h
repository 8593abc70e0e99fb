#pragma once
// A host without any picture: the frame loop runs, drawing goes nowhere. Replays and other tools
// that need the game's state, not its pixels, run the program's own loop on it.
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioBackend.h"
#include "platform/Host.h"

namespace kirpo {

// Every drawing call does nothing; text measures as empty.
class NullCanvas final : public Canvas {
 public:
  NullCanvas(int w, int h) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  void Clear(uint32_t) override {}
  void ClearRect(const RectF&, uint32_t) override {}
  void FillRect(const RectF&, uint32_t, float) override {}
  void DrawBitmap(const Bitmap&, const RectF&, const RectF&, float) override {}
  void DrawBitmapRotated(const Bitmap&, const RectF&, const RectF&, double, float, const RectF&) override {}
  void DrawText(const std::string&, const RectF&, float, bool, uint32_t, float, TextAlign, TextAlign) override {}
  SizeF MeasureText(const std::string&, float, bool) override { return {}; }
  void FillRoundRect(const RectF&, float, uint32_t, uint32_t, float) override {}
  void StrokeRoundRect(const RectF&, float, float, uint32_t, float) override {}
  void SetClip(const RectF&) override {}
  void ResetClip() override {}

 private:
  int w_, h_;
};

class NullHost final : public Host {
 public:
  // A canvas of the design space's size makes canvas pixels design units.
  explicit NullHost(int w = 1920, int h = 1200) : canvas_(w, h) {}
  Canvas& GetCanvas() override { return canvas_; }
  std::vector<InputEvent> PollEvents() override { return TakeQueued(); }
  void WaitForEvent(int) override {}
  void Present() override {}
  void SetCaption(const std::string&) override {}
  bool IsFullScreen() const override { return full_; }
  void SetFullScreen(bool on) override { full_ = on; }
  void Show(bool) override {}
  bool HasDisplay() const override { return false; }
  std::unique_ptr<Bitmap> ReadPixels() override { return nullptr; }

 private:
  NullCanvas canvas_;
  bool full_ = false;
};

// An audio library without a device: sound never switches on.
class NullAudioBackend final : public AudioBackend {
 public:
  bool Init() override { return false; }
  uint32_t StreamCreate(const uint8_t*, size_t) override { return 0; }
  bool ChannelPlay(uint32_t) override { return false; }
  int64_t ChannelGetPosition(uint32_t) override { return -1; }
  void ChannelStop(uint32_t) override {}
};

}  // namespace kirpo
