#include "platform/Bitmap.h"

#include <SDL.h>
#include <SDL_image.h>
#include <png.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/FileUtil.h"

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
    : width_(other.width_), height_(other.height_), pixels_(other.pixels_), encoded_(other.encoded_) {}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      pixels_(std::move(other.pixels_)),
      encoded_(std::move(other.encoded_)),
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
  encoded_ = other.encoded_;
  Touch();
  return *this;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this == &other) return *this;
  NoteReleased(id_);
  width_ = other.width_;
  height_ = other.height_;
  pixels_ = std::move(other.pixels_);
  encoded_ = std::move(other.encoded_);
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
  encoded_.reset();
  pixels_.assign(static_cast<size_t>(width_) * height_, argb);
  Touch();
}

std::unique_ptr<Bitmap> Bitmap::FromEncoded(int width, int height, std::shared_ptr<const std::vector<uint8_t>> png) {
  std::unique_ptr<Bitmap> b = SizeOnly(width, height);
  b->encoded_ = std::move(png);
  return b;
}

bool Bitmap::DecodeInto(uint32_t* pixels, int pitch) const {
  if (!encoded_ || !pixels) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, encoded_->data(), encoded_->size())) return false;
  // Blue, green, red, alpha in memory is 0xAARRGGBB on this little-endian machine; 8-bit colours
  // come out as stored, alpha not multiplied in.
  image.format = PNG_FORMAT_BGRA;
  if (int(image.width) != width_ || int(image.height) != height_) {
    png_image_free(&image);
    return false;
  }
  const bool ok = png_image_finish_read(&image, nullptr, pixels, pitch, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

void Bitmap::DropPixels() const {
  if (!encoded_) return;
  std::vector<uint32_t>().swap(pixels_);
}

void Bitmap::RestoreFromEncoded() const {
  std::unique_ptr<Bitmap> decoded = Decode(encoded_->data(), encoded_->size());
  if (decoded && decoded->width_ == width_ && decoded->height_ == height_) {
    pixels_ = std::move(decoded->pixels_);
  } else {
    // Bytes that decoded once do not fail later; should they, the picture shows nothing rather
    // than anything else.
    pixels_.assign(static_cast<size_t>(width_) * height_, 0u);
  }
}

bool Bitmap::Opaque() const {
  if (opaque_version_ == version_ + 1) return opaque_;
  const bool had = PixelsInMemory();
  Restore();
  opaque_ = !pixels_.empty() && std::all_of(pixels_.begin(), pixels_.end(), [](uint32_t p) { return (p >> 24) == 0xFF; });
  opaque_version_ = version_ + 1;
  if (!had) DropPixels();
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
  const uint32_t a256 = static_cast<uint32_t>(alpha >= 1 ? 256 : alpha * 256);
  for (int y = 0; y < sh; ++y) {
    const int syy = sy + y, dyy = dy + y;
    if (syy < 0 || syy >= src.height_ || dyy < 0 || dyy >= height_) continue;
    for (int x = 0; x < sw; ++x) {
      const int sxx = sx + x, dxx = dx + x;
      if (sxx < 0 || sxx >= src.width_ || dxx < 0 || dxx >= width_) continue;
      const uint32_t s = src.pixels_[static_cast<size_t>(syy) * src.width_ + sxx];
      const uint32_t sa = ((s >> 24) * a256) >> 8;
      if (sa == 0) continue;
      uint32_t& d = pixels_[static_cast<size_t>(dyy) * width_ + dxx];
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
  Touch();
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
