#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kirpo {

// What a picture's pixels can be made from again, at any size: its PNG bytes, or the drawing it
// was made of. Lets a large picture be held only as it is shown (a texture at the window's size).
class PixelSource {
 public:
  virtual ~PixelSource() = default;
  // Paints the picture scaled to w x h into ARGB rows (straight alpha) pitch bytes apart.
  virtual bool Paint(uint32_t* pixels, int pitch, int w, int h) const = 0;
  // Whether every pixel is fully opaque, without making the whole picture in memory.
  virtual bool Opaque() const = 0;
  // Paints rows [top, top + rows) at the picture's own size; false when the source cannot paint
  // a band on its own (the whole picture is then made).
  virtual bool PaintRows(uint32_t* pixels, int pitch, int top, int rows) const {
    (void)pixels, (void)pitch, (void)top, (void)rows;
    return false;
  }
};

// A picture in memory, 32-bit ARGB (0xAARRGGBB), straight (not premultiplied) alpha.
// Canvases upload it to the renderer once and again only when its Version changes.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, uint32_t fill = 0);
  // A copy is a new picture for the caches; a moved-from bitmap gives its identity away.
  Bitmap(const Bitmap& other);
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(const Bitmap& other);
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap();

  // A picture known only by its size, for work that never looks at its pixels: a headless replay
  // needs the figures' sizes and outlines, not what they show. Drawing it draws nothing.
  static std::unique_ptr<Bitmap> SizeOnly(int width, int height);
  // A picture held as its PNG bytes: its pixels are decoded when first asked for, and a texture
  // cache that has uploaded them may give them back (DropPixels); they come back from the bytes,
  // the same picture with the same identity. Any change through this API ends the link.
  static std::unique_ptr<Bitmap> FromEncoded(int width, int height, std::shared_ptr<const std::vector<uint8_t>> png);
  // The same for PNG bytes that outlive every picture (compiled into the program), which are not
  // copied; nullptr when they do not decode.
  static std::unique_ptr<Bitmap> FromStaticPng(const uint8_t* data, size_t size);
  // The same for a picture that a PixelSource paints (at any size) instead of PNG bytes.
  static std::unique_ptr<Bitmap> FromSource(int width, int height, std::shared_ptr<const PixelSource> source);
  // Has pixels to show, in memory or encoded.
  bool HasPixels() const { return !pixels_.empty() || source_ != nullptr; }
  bool PixelsInMemory() const { return !pixels_.empty(); }
  bool Encoded() const { return source_ != nullptr; }
  // Paints the picture scaled to w x h into ARGB rows pitch bytes apart (a texture's), from the
  // pixels in memory or else from its source, which then never makes the picture at its own
  // size; false when that fails.
  bool PaintScaled(uint32_t* pixels, int pitch, int w, int h) const;
  // Rows [top, top + rows) at the picture's own size, from the pixels in memory or its source.
  bool PaintRows(uint32_t* pixels, int pitch, int top, int rows) const;
  // The same at the picture's own size.
  bool DecodeInto(uint32_t* pixels, int pitch) const { return PaintScaled(pixels, pitch, width_, height_); }
  void DropPixels() const;
  // Every pixel fully opaque; remembered per version, so asking costs nothing after the first time.
  bool Opaque() const;
  // The width and height in a PNG's header; false when the bytes are no PNG.
  static bool PngSize(const uint8_t* data, size_t size, int& width, int& height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  uint32_t* Pixels() {
    Own();
    return pixels_.data();
  }
  const uint32_t* Pixels() const {
    Restore();
    return pixels_.data();
  }
  uint32_t Pixel(int x, int y) const {
    Restore();
    return pixels_[static_cast<size_t>(y) * width_ + x];
  }
  void SetPixel(int x, int y, uint32_t argb) {
    Own();
    pixels_[static_cast<size_t>(y) * width_ + x] = argb;
  }

  // Identity for texture caches: unique per bitmap, bumped by every change made through this API.
  uint64_t Id() const { return id_; }
  uint64_t Version() const { return version_; }
  void Touch() { ++version_; }

  void Clear(uint32_t argb);
  // Draws a source rectangle at (dx, dy), unscaled, blending with its alpha ("source over").
  void BlendFrom(const Bitmap& src, int sx, int sy, int sw, int sh, int dx, int dy, float alpha);
  // The same between two blocks of ARGB pixels (strides in pixels); the target is dw x dh.
  static void BlendPixels(const uint32_t* src, int src_stride, int sw, int sh, uint32_t* dst, int dst_stride, int dw,
                          int dh, int dx, int dy, float alpha);

  // Decoding detects the format from the content; nullptr when it cannot be decoded.
  static std::unique_ptr<Bitmap> Decode(const uint8_t* data, size_t size, std::string* error = nullptr);
  static std::unique_ptr<Bitmap> Load(const std::string& path, std::string* error = nullptr);
  // PNG bytes; empty on failure.
  std::vector<uint8_t> EncodePng() const;
  bool SavePng(const std::string& path) const;

 private:
  // Decodes the pixels from the encoded bytes when they are not in memory.
  void Restore() const {
    if (pixels_.empty() && source_) RestoreFromEncoded();
  }
  void RestoreFromEncoded() const;
  // About to be changed: the pixels in memory, and no longer tied to the encoded bytes.
  void Own() {
    Restore();
    source_.reset();
  }

  int width_ = 0;
  int height_ = 0;
  mutable std::vector<uint32_t> pixels_;
  std::shared_ptr<const PixelSource> source_;
  mutable uint64_t opaque_version_ = 0;
  mutable bool opaque_ = false;
  uint64_t id_ = NextId();
  uint64_t version_ = 1;
  static uint64_t NextId();
};

// Tells a texture cache which bitmaps have died since it last asked, so it can free what it holds for
// them. Every live queue hears of every bitmap; bitmaps may die on any thread.
class BitmapReleaseQueue {
 public:
  BitmapReleaseQueue();
  ~BitmapReleaseQueue();
  BitmapReleaseQueue(const BitmapReleaseQueue&) = delete;
  BitmapReleaseQueue& operator=(const BitmapReleaseQueue&) = delete;
  // Cheap enough to call before every draw: takes a lock only when something died.
  bool Pending() const;
  std::vector<uint64_t> Take();
  void Note(uint64_t id);

 private:
  std::vector<uint64_t> ids_;
  std::atomic<bool> pending_{false};
};

}  // namespace kirpo
