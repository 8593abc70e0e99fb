#include "platform/Bitmap.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/FileUtil.h"
#include "platform/PngRows.h"
#include "platform/Resample.h"

namespace kirpo {

uint64_t Bitmap::NextId() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

namespace {
std::mutex release_mutex;
std::vector<BitmapReleaseQueue*> release_queues;

void NoteReleased(uint64_t id) {
  if (id == 0) return;
  std::lock_guard<std::mutex> lock(release_mutex);
  for (BitmapReleaseQueue* q : release_queues) q->Note(id);
}
}  // namespace

BitmapReleaseQueue::BitmapReleaseQueue() {
  std::lock_guard<std::mutex> lock(release_mutex);
  release_queues.push_back(this);
}

BitmapReleaseQueue::~BitmapReleaseQueue() {
  std::lock_guard<std::mutex> lock(release_mutex);
  release_queues.erase(std::remove(release_queues.begin(), release_queues.end(), this), release_queues.end());
}

// Called with release_mutex held.
void BitmapReleaseQueue::Note(uint64_t id) {
  ids_.push_back(id);
  pending_.store(true, std::memory_order_release);
}

bool BitmapReleaseQueue::Pending() const { return pending_.load(std::memory_order_acquire); }

std::vector<uint64_t> BitmapReleaseQueue::Take() {
  std::lock_guard<std::mutex> lock(release_mutex);
  std::vector<uint64_t> out;
  out.swap(ids_);
  pending_.store(false, std::memory_order_relaxed);
  return out;
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_), height_(other.height_), pixels_(other.pixels_), source_(other.source_) {}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      pixels_(std::move(other.pixels_)),
      source_(std::move(other.source_)),
      id_(other.id_),
      version_(other.version_) {
  other.width_ = other.height_ = 0;
  other.id_ = 0;
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this == &other) return *this;
  width_ = other.width_;
  height_ = other.height_;
  pixels_ = other.pixels_;
  source_ = other.source_;
  Touch();
  return *this;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this == &other) return *this;
  NoteReleased(id_);
  width_ = other.width_;
  height_ = other.height_;
  pixels_ = std::move(other.pixels_);
  source_ = std::move(other.source_);
  id_ = other.id_;
  version_ = other.version_;
  other.width_ = other.height_ = 0;
  other.id_ = 0;
  return *this;
}

Bitmap::~Bitmap() { NoteReleased(id_); }

Bitmap::Bitmap(int width, int height, uint32_t fill)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

void Bitmap::Clear(uint32_t argb) {
  source_.reset();
  pixels_.assign(static_cast<size_t>(width_) * height_, argb);
  Touch();
}

namespace {
// A picture's PNG bytes, read a row at a time: a large picture is never made whole in memory to be
// shown smaller, checked for see-through pixels or uploaded.
class PngSource final : public PixelSource {
 public:
  explicit PngSource(std::shared_ptr<const std::vector<uint8_t>> png)
      : png_(std::move(png)), data_(png_->data()), size_(png_->size()) {}
  // Bytes that outlive every picture (compiled into the program).
  PngSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Paint(uint32_t* pixels, int pitch, int w, int h) const override {
    PngRowReader reader(data_, size_);
    if (!reader.Ok()) return false;
    return ScaleRows(reader.Width(), reader.Height(), [&](int, uint32_t* row) { return reader.ReadRow(row); }, pixels,
                     pitch, w, h);
  }
  bool PaintRows(uint32_t* pixels, int pitch, int top, int rows) const override {
    PngRowReader reader(data_, size_);
    if (!reader.Ok() || top < 0 || rows <= 0 || top + rows > reader.Height()) return false;
    // The rows above the band are read to get there, into the band's first row.
    for (int y = 0; y < top; ++y)
      if (!reader.ReadRow(pixels)) return false;
    for (int y = 0; y < rows; ++y)
      if (!reader.ReadRow(reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + size_t(y) * pitch)))
        return false;
    return true;
  }
  bool Opaque() const override {
    PngRowReader reader(data_, size_);
    if (!reader.Ok()) return false;
    if (reader.OpaqueFormat()) return true;
    std::vector<uint32_t> row(static_cast<size_t>(reader.Width()));
    for (int y = 0; y < reader.Height(); ++y) {
      if (!reader.ReadRow(row.data())) return false;
      if (!std::all_of(row.begin(), row.end(), [](uint32_t p) { return (p >> 24) == 0xFF; })) return false;
    }
    return true;
  }

 private:
  std::shared_ptr<const std::vector<uint8_t>> png_;
  const uint8_t* data_;
  size_t size_;
};
}  // namespace

std::unique_ptr<Bitmap> Bitmap::FromStaticPng(const uint8_t* data, size_t size) {
  if (!data) return nullptr;
  PngRowReader reader(data, size);
  if (!reader.Ok()) return nullptr;
  // Read through once, so that a damaged picture is refused here as decoding it would be.
  std::vector<uint32_t> row(static_cast<size_t>(reader.Width()));
  for (int y = 0; y < reader.Height(); ++y)
    if (!reader.ReadRow(row.data())) return nullptr;
  return FromSource(reader.Width(), reader.Height(), std::make_shared<PngSource>(data, size));
}

std::unique_ptr<Bitmap> Bitmap::FromEncoded(int width, int height, std::shared_ptr<const std::vector<uint8_t>> png) {
  return FromSource(width, height, std::make_shared<PngSource>(std::move(png)));
}

std::unique_ptr<Bitmap> Bitmap::FromSource(int width, int height, std::shared_ptr<const PixelSource> source) {
  std::unique_ptr<Bitmap> b = SizeOnly(width, height);
  b->source_ = std::move(source);
  return b;
}

bool Bitmap::PaintScaled(uint32_t* pixels, int pitch, int w, int h) const {
  if (!pixels || w <= 0 || h <= 0 || Empty()) return false;
  if (!pixels_.empty()) return ScalePixels(pixels_.data(), width_ * 4, width_, height_, pixels, pitch, w, h);
  return source_ && source_->Paint(pixels, pitch, w, h);
}

bool Bitmap::PaintRows(uint32_t* pixels, int pitch, int top, int rows) const {
  if (!pixels || top < 0 || rows <= 0 || top + rows > height_) return false;
  if (pixels_.empty()) return source_ && source_->PaintRows(pixels, pitch, top, rows);
  for (int y = 0; y < rows; ++y)
    std::memcpy(reinterpret_cast<uint8_t*>(pixels) + size_t(y) * pitch, pixels_.data() + size_t(top + y) * width_,
                size_t(width_) * 4);
  return true;
}

void Bitmap::DropPixels() const {
  if (!source_) return;
  std::vector<uint32_t>().swap(pixels_);
}

void Bitmap::RestoreFromEncoded() const {
  pixels_.assign(static_cast<size_t>(width_) * height_, 0u);
  // Bytes that decoded once do not fail later; should they, the picture shows nothing rather
  // than anything else.
  if (!source_->Paint(pixels_.data(), width_ * 4, width_, height_)) std::fill(pixels_.begin(), pixels_.end(), 0u);
}

bool Bitmap::Opaque() const {
  if (opaque_version_ == version_ + 1) return opaque_;
  if (pixels_.empty() && source_) {
    opaque_ = source_->Opaque();
  } else {
    opaque_ = !pixels_.empty() &&
              std::all_of(pixels_.begin(), pixels_.end(), [](uint32_t p) { return (p >> 24) == 0xFF; });
  }
  opaque_version_ = version_ + 1;
  return opaque_;
}

std::unique_ptr<Bitmap> Bitmap::SizeOnly(int width, int height) {
  auto b = std::make_unique<Bitmap>();
  b->width_ = std::max(0, width);
  b->height_ = std::max(0, height);
  return b;
}

bool Bitmap::PngSize(const uint8_t* data, size_t size, int& width, int& height) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // The signature, then the IHDR chunk: length, "IHDR", width and height big-endian.
  if (size < 24 || std::memcmp(data, signature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
  auto be = [data](size_t at) {
    return (uint32_t(data[at]) << 24) | (uint32_t(data[at + 1]) << 16) | (uint32_t(data[at + 2]) << 8) | data[at + 3];
  };
  const uint32_t w = be(16), h = be(20);
  if (w == 0 || h == 0 || w > 1u << 15 || h > 1u << 15) return false;
  width = static_cast<int>(w), height = static_cast<int>(h);
  return true;
}

void Bitmap::BlendFrom(const Bitmap& src, int sx, int sy, int sw, int sh, int dx, int dy, float alpha) {
  if (alpha <= 0 || !HasPixels() || !src.HasPixels()) return;
  Own();
  src.Restore();
  // Only the part of the rectangle that lies inside the source is drawn.
  if (sx < 0) sw += sx, dx -= sx, sx = 0;
  if (sy < 0) sh += sy, dy -= sy, sy = 0;
  sw = std::min(sw, src.width_ - sx);
  sh = std::min(sh, src.height_ - sy);
  if (sw > 0 && sh > 0)
    BlendPixels(src.pixels_.data() + static_cast<size_t>(sy) * src.width_ + sx, src.width_, sw, sh, pixels_.data(),
                width_, width_, height_, dx, dy, alpha);
  Touch();
}

void Bitmap::BlendPixels(const uint32_t* src, int src_stride, int sw, int sh, uint32_t* dst, int dst_stride, int dw,
                         int dh, int dx, int dy, float alpha) {
  if (alpha <= 0) return;
  const uint32_t a256 = static_cast<uint32_t>(alpha >= 1 ? 256 : alpha * 256);
  for (int y = 0; y < sh; ++y) {
    const int dyy = dy + y;
    if (dyy < 0 || dyy >= dh) continue;
    for (int x = 0; x < sw; ++x) {
      const int dxx = dx + x;
      if (dxx < 0 || dxx >= dw) continue;
      const uint32_t s = src[static_cast<size_t>(y) * src_stride + x];
      const uint32_t sa = ((s >> 24) * a256) >> 8;
      if (sa == 0) continue;
      uint32_t& d = dst[static_cast<size_t>(dyy) * dst_stride + dxx];
      if (sa == 255) {
        d = s;
        continue;
      }
      const uint32_t da = d >> 24;
      const uint32_t oa = sa + da * (255 - sa) / 255;
      auto mix = [&](int shift) {
        const uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        return oa ? (sc * sa + dc * da * (255 - sa) / 255) / oa : 0;
      };
      d = (oa << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
    }
  }
}

std::unique_ptr<Bitmap> Bitmap::Decode(const uint8_t* data, size_t size, std::string* error) {
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  SDL_Surface* loaded = rw ? IMG_Load_RW(rw, 1) : nullptr;
  if (!loaded) {
    if (error) *error = IMG_GetError();
    return nullptr;
  }
  // Straight into the bitmap's own pixels where the format allows: a backdrop-sized picture
  // would otherwise be held three times over while it is decoded.
  if (!loaded->format->palette && !SDL_HasColorKey(loaded) && loaded->w > 0 && loaded->h > 0) {
    auto bmp = std::make_unique<Bitmap>(loaded->w, loaded->h);
    SDL_LockSurface(loaded);
    const int converted = SDL_ConvertPixels(loaded->w, loaded->h, loaded->format->format, loaded->pixels,
                                            loaded->pitch, SDL_PIXELFORMAT_ARGB8888, bmp->pixels_.data(),
                                            loaded->w * 4);
    SDL_UnlockSurface(loaded);
    if (converted == 0) {
      SDL_FreeSurface(loaded);
      return bmp;
    }
  }
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!argb) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  auto bmp = std::make_unique<Bitmap>(argb->w, argb->h);
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y)
    std::memcpy(bmp->pixels_.data() + static_cast<size_t>(y) * argb->w,
                static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch,
                static_cast<size_t>(argb->w) * 4);
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return bmp;
}

std::unique_ptr<Bitmap> Bitmap::Load(const std::string& path, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    if (error) *error = "cannot read " + path;
    return nullptr;
  }
  return Decode(bytes.data(), bytes.size(), error);
}

namespace {
SDL_Surface* WrapPixels(const Bitmap& b) {
  return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(b.Pixels()), b.Width(), b.Height(), 32,
                                            b.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
}
}  // namespace

std::vector<uint8_t> Bitmap::EncodePng() const {
  std::vector<uint8_t> out;
  if (Empty()) return out;
  SDL_Surface* s = WrapPixels(*this);
  if (!s) return out;
  // Grow a memory stream as the encoder writes.
  std::vector<uint8_t> buffer(static_cast<size_t>(width_) * height_ * 4 + 4096);
  SDL_RWops* rw = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  if (rw && IMG_SavePNG_RW(s, rw, 0) == 0) {
    const Sint64 size = SDL_RWtell(rw);
    if (size > 0) out.assign(buffer.begin(), buffer.begin() + size);
  }
  if (rw) SDL_RWclose(rw);
  SDL_FreeSurface(s);
  return out;
}

bool Bitmap::SavePng(const std::string& path) const {
  const std::vector<uint8_t> png = EncodePng();
  return !png.empty() && WriteFileAtomically(path, png.data(), png.size());
}

}  // namespace kirpo
