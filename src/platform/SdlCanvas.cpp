#include "platform/SdlCanvas.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/EmbeddedFiles.h"

namespace kirpo {

namespace {
constexpr size_t kMaxTextTextures = 256;

void SetColor(SDL_Renderer* r, uint32_t argb, float alpha) {
  const float a = std::clamp(((argb >> 24) & 0xFF) * alpha, 0.0f, 255.0f);
  SDL_SetRenderDrawColor(r, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, static_cast<Uint8>(a));
}

SDL_FRect ToFRect(const RectF& r) { return SDL_FRect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

SDL_Rect ToRect(const RectF& r) {
  const int l = static_cast<int>(std::lround(r.left)), t = static_cast<int>(std::lround(r.top));
  return SDL_Rect{l, t, static_cast<int>(std::lround(r.right)) - l, static_cast<int>(std::lround(r.bottom)) - t};
}

Uint8 AlphaByte(float alpha) { return static_cast<Uint8>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f + 0.5f); }
}  // namespace

SdlCanvas::SdlCanvas(SDL_Renderer* renderer) : renderer_(renderer) {
  if (!TTF_WasInit()) TTF_Init();
}

void SdlCanvas::DestroyTextures(CachedTexture& c) {
  if (c.texture) SDL_DestroyTexture(c.texture);
  if (c.scaled) SDL_DestroyTexture(c.scaled);
  for (CachedTexture::Band& b : c.bands) SDL_DestroyTexture(b.texture);
  c.texture = c.scaled = nullptr;
  c.bands.clear();
}

SdlCanvas::~SdlCanvas() {
  for (auto& [id, t] : textures_) DestroyTextures(t);
  for (auto& [k, t] : texts_) SDL_DestroyTexture(t.texture);
  for (auto& [k, f] : fonts_) TTF_CloseFont(f);
  if (kept_) SDL_DestroyTexture(kept_);
}

void SdlCanvas::BeginKeep() {
  const int w = Width(), h = Height();
  if (kept_ && (kept_w_ != w || kept_h_ != h)) {
    SDL_DestroyTexture(kept_);
    kept_ = nullptr;
  }
  if (!kept_) {
    kept_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!kept_) return;
    SDL_SetTextureBlendMode(kept_, SDL_BLENDMODE_NONE);
    kept_w_ = w, kept_h_ = h;
  }
  if (SDL_SetRenderTarget(renderer_, kept_) == 0) keeping_ = true;
}

void SdlCanvas::EndKeep() {
  if (!keeping_) return;
  Flush();
  keeping_ = false;
  SDL_SetRenderTarget(renderer_, nullptr);
  DrawKept();
}

bool SdlCanvas::DrawKept() {
  if (!kept_ || keeping_) return false;
  SDL_RenderSetClipRect(renderer_, nullptr);
  SDL_RenderCopy(renderer_, kept_, nullptr, nullptr);
  return true;
}

bool SdlCanvas::Targeting() const { return SDL_GetRenderTarget(renderer_) != nullptr; }

RectF SdlCanvas::PictureRect() const {
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  return FitPicture(w, h, aspect_);
}

// Drawing into a texture (the kept picture) fills that texture; drawing into the output fills the picture.
SizeF SdlCanvas::DrawingSize() const {
  if (!Targeting()) {
    const RectF r = PictureRect();
    return SizeF{r.Width(), r.Height()};
  }
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  return SizeF{float(w), float(h)};
}

int SdlCanvas::Width() const { return static_cast<int>(DrawingSize().width); }

int SdlCanvas::Height() const { return static_cast<int>(DrawingSize().height); }

void SdlCanvas::SetPictureAspect(float aspect) {
  aspect_ = aspect;
  if (!Targeting()) ApplyPictureView();
}

void SdlCanvas::ApplyPictureView() {
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  const SDL_Rect view = ToRect(FitPicture(w, h, aspect_));
  SDL_RenderSetViewport(renderer_, nullptr);
  if (view.w < w || view.h < h) {
    // The bars are painted every time: after a resize the output holds whatever was there before.
    const SDL_Rect bars[4] = {{0, 0, w, view.y},
                              {0, view.y + view.h, w, h - view.y - view.h},
                              {0, view.y, view.x, view.h},
                              {view.x + view.w, view.y, w - view.x - view.w, view.h}};
    SDL_RenderSetClipRect(renderer_, nullptr);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderFillRects(renderer_, bars, 4);
  }
  SDL_RenderSetViewport(renderer_, &view);
}

std::unique_ptr<Bitmap> SdlCanvas::ReadOutput() {
  Flush();
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  auto bmp = std::make_unique<Bitmap>(w, h);
  if (w <= 0 || h <= 0) return bmp;
  // Reading goes through the viewport, so the whole output is read with the viewport opened up.
  SDL_Rect view;
  SDL_RenderGetViewport(renderer_, &view);
  SDL_RenderSetViewport(renderer_, nullptr);
  SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, bmp->Pixels(), w * 4);
  SDL_RenderSetViewport(renderer_, &view);
  return bmp;
}

void SdlCanvas::Clear(uint32_t argb) {
  SDL_RenderSetClipRect(renderer_, nullptr);
  backdrop_pending_ = false;
  if ((argb >> 24) == 0 && backdrop_ && !in_backdrop_) {
    backdrop_pending_ = true;
    return;
  }
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SetColor(renderer_, argb, 1.0f);
  // The picture only: a clear of the whole output would also paint the bars beside it.
  SDL_RenderFillRect(renderer_, nullptr);
}

void SdlCanvas::DrawPendingBackdrop() {
  if (!backdrop_pending_) return;
  backdrop_pending_ = false;
  in_backdrop_ = true;
  backdrop_(*this);
  in_backdrop_ = false;
}

void SdlCanvas::Flush() { DrawPendingBackdrop(); }

void SdlCanvas::ClearRect(const RectF& r, uint32_t argb) {
  DrawPendingBackdrop();
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SetColor(renderer_, argb, 1.0f);
  const SDL_FRect fr = ToFRect(r);
  SDL_RenderFillRectF(renderer_, &fr);
}

void SdlCanvas::FillRect(const RectF& r, uint32_t argb, float alpha) {
  DrawPendingBackdrop();
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
  SetColor(renderer_, argb, alpha);
  const SDL_FRect fr = ToFRect(r);
  SDL_RenderFillRectF(renderer_, &fr);
}

SdlCanvas::CachedTexture* SdlCanvas::TextureFor(const Bitmap& bmp) {
  DropReleasedTextures();
  if (bmp.Empty() || !bmp.HasPixels()) return nullptr;
  CachedTexture& c = textures_[bmp.Id()];
  if (c.texture && (c.w != bmp.Width() || c.h != bmp.Height())) {
    SDL_DestroyTexture(c.texture);
    c.texture = nullptr;
  }
  if (!c.texture && !bmp.PixelsInMemory() && bmp.Encoded() && FillFromEncoded(c, bmp)) return &c;
  if (!c.texture) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    c.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, bmp.Width(),
                                  bmp.Height());
    if (!c.texture) return nullptr;
    SDL_SetTextureBlendMode(c.texture, SDL_BLENDMODE_BLEND);
    c.w = bmp.Width(), c.h = bmp.Height();
    c.version = 0;
  }
  if (c.version != bmp.Version()) {
    const bool in_memory = bmp.PixelsInMemory();
    c.opaque = bmp.Opaque();
    SDL_UpdateTexture(c.texture, nullptr, bmp.Pixels(), bmp.Width() * 4);
    c.version = bmp.Version();
    // The texture holds the pixels now; a picture that can decode them again needs no twin.
    if (!in_memory) bmp.DropPixels();
  }
  return &c;
}

void SdlCanvas::DropReleasedTextures() {
  if (!released_.Pending()) return;
  for (uint64_t id : released_.Take()) {
    auto it = textures_.find(id);
    if (it == textures_.end()) continue;
    DestroyTextures(it->second);
    textures_.erase(it);
  }
}

void SdlCanvas::DrawBitmap(const Bitmap& bmp, const RectF& src, const RectF& dst, float alpha) {
  if (bmp.Empty() || !bmp.HasPixels() || alpha <= 0) return;
  const SDL_Rect s = ToRect(src);
  const SDL_FRect d = ToFRect(dst);
  const Uint8 a = AlphaByte(alpha);
  const bool whole_picture = s.x == 0 && s.y == 0 && s.w == bmp.Width() && s.h == bmp.Height();
  const SDL_Rect di = ToRect(dst);
  if (whole_picture && bmp.Width() * bmp.Height() >= 512 * 512 && (di.w != bmp.Width() || di.h != bmp.Height()) &&
      di.w > 0 && di.h > 0 && di.w <= 4096 && di.h <= 4096) {
    if (CachedTexture* c = ScaledOnly(bmp, di.w, di.h)) {
      if (backdrop_pending_) {
        const bool covers = c->opaque && a == 255 && di.x <= 0 && di.y <= 0 && di.x + di.w >= Width() &&
                            di.y + di.h >= Height();
        if (covers) backdrop_pending_ = false;
        else DrawPendingBackdrop();
      }
      SDL_SetTextureBlendMode(c->scaled, c->opaque && a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
      SDL_SetTextureAlphaMod(c->scaled, a);
      SDL_RenderCopy(renderer_, c->scaled, nullptr, &di);
      return;
    }
  }
  if (!whole_picture && bmp.Width() * bmp.Height() >= 512 * 512 && !bmp.PixelsInMemory() && bmp.Encoded() &&
      s.y >= 0 && s.h > 0 && s.y + s.h <= bmp.Height()) {
    if (CachedTexture::Band* b = BandFor(bmp, s.y, s.h)) {
      DrawPendingBackdrop();
      SDL_SetTextureBlendMode(b->texture, b->opaque && a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
      SDL_SetTextureAlphaMod(b->texture, a);
      const SDL_Rect in_band{s.x, s.y - b->top, s.w, s.h};
      SDL_RenderCopyF(renderer_, b->texture, &in_band, &d);
      return;
    }
  }
  CachedTexture* c = TextureFor(bmp);
  if (!c) return;
  DrawPendingBackdrop();
  SDL_SetTextureBlendMode(c->texture, c->opaque && a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
  SDL_SetTextureAlphaMod(c->texture, a);
  SDL_RenderCopyF(renderer_, c->texture, &s, &d);
}

SdlCanvas::CachedTexture::Band* SdlCanvas::BandFor(const Bitmap& bmp, int top, int rows) {
  // A few bands: a list on the screen and its preview draw from two or three rows of a sheet.
  constexpr size_t kMaxBands = 4;
  DropReleasedTextures();
  CachedTexture& c = textures_[bmp.Id()];
  for (auto it = c.bands.begin(); it != c.bands.end(); ++it) {
    if (it->version != bmp.Version() || it->top > top || it->top + it->rows < top + rows) continue;
    c.bands.splice(c.bands.begin(), c.bands, it);
    return &c.bands.front();
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_Texture* t = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, bmp.Width(), rows);
  if (!t) return nullptr;
  void* pixels = nullptr;
  int pitch = 0;
  bool ok = SDL_LockTexture(t, nullptr, &pixels, &pitch) == 0;
  bool opaque = true;
  if (ok) {
    ok = bmp.PaintRows(static_cast<uint32_t*>(pixels), pitch, top, rows);
    for (int y = 0; ok && opaque && y < rows; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) + size_t(y) * pitch);
      opaque = std::all_of(row, row + bmp.Width(), [](uint32_t px) { return (px >> 24) == 0xFF; });
    }
    SDL_UnlockTexture(t);
  }
  if (!ok) {
    SDL_DestroyTexture(t);
    return nullptr;
  }
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  while (c.bands.size() >= kMaxBands) {
    SDL_DestroyTexture(c.bands.back().texture);
    c.bands.pop_back();
  }
  c.bands.push_front(CachedTexture::Band{t, top, rows, bmp.Version(), opaque});
  return &c.bands.front();
}

bool SdlCanvas::FillFromEncoded(CachedTexture& c, const Bitmap& bmp) {
  // Decoded straight into the texture: a large picture is never held twice, not even while it
  // is uploaded.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_Texture* t = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, bmp.Width(),
                                     bmp.Height());
  if (!t) return false;
  void* pixels = nullptr;
  int pitch = 0;
  bool ok = SDL_LockTexture(t, nullptr, &pixels, &pitch) == 0;
  if (ok) {
    ok = bmp.DecodeInto(static_cast<uint32_t*>(pixels), pitch);
    c.opaque = true;
    for (int y = 0; ok && c.opaque && y < bmp.Height(); ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) + size_t(y) * pitch);
      c.opaque = std::all_of(row, row + bmp.Width(), [](uint32_t px) { return (px >> 24) == 0xFF; });
    }
    SDL_UnlockTexture(t);
  }
  if (!ok) {
    SDL_DestroyTexture(t);
    return false;
  }
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  c.texture = t;
  c.w = bmp.Width(), c.h = bmp.Height();
  c.version = bmp.Version();
  return true;
}

SdlCanvas::CachedTexture* SdlCanvas::ScaledOnly(const Bitmap& bmp, int w, int h) {
  DropReleasedTextures();
  CachedTexture& c = textures_[bmp.Id()];
  if (c.scaled && c.scaled_w == w && c.scaled_h == h && c.scaled_version == bmp.Version()) return &c;
  if (c.scaled) SDL_DestroyTexture(c.scaled);
  c.scaled = nullptr;
  // Painted straight into a texture of the size it is shown at, from the picture's pixels or
  // from what they are made of: a large picture shown only stretched is never held at its own
  // size, not even for a moment, and a window that grows gets it made again at the new size.
  SDL_Texture* t = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
  if (!t) return nullptr;
  void* pixels = nullptr;
  int pitch = 0;
  bool ok = SDL_LockTexture(t, nullptr, &pixels, &pitch) == 0;
  if (ok) {
    ok = bmp.PaintScaled(static_cast<uint32_t*>(pixels), pitch, w, h);
    c.opaque = true;
    for (int y = 0; ok && c.opaque && y < h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) + size_t(y) * pitch);
      c.opaque = std::all_of(row, row + w, [](uint32_t px) { return (px >> 24) == 0xFF; });
    }
    SDL_UnlockTexture(t);
  }
  if (!ok) {
    SDL_DestroyTexture(t);
    return nullptr;
  }
  c.scaled = t;
  c.scaled_w = w, c.scaled_h = h, c.scaled_version = bmp.Version();
  return &c;
}

void SdlCanvas::DrawBitmapRotated(const Bitmap& bmp, const RectF& src, const RectF& dst, double angle, float alpha,
                                  const RectF& clip) {
  CachedTexture* ct = TextureFor(bmp);
  if (!ct || alpha <= 0) return;
  DrawPendingBackdrop();
  SDL_Texture* t = ct->texture;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  SDL_SetTextureAlphaMod(t, AlphaByte(alpha));
  const SDL_Rect s = ToRect(src);
  const SDL_FRect d = ToFRect(dst);
  const SDL_Rect c = ToRect(clip);
  SDL_RenderSetClipRect(renderer_, &c);
  SDL_RenderCopyExF(renderer_, t, &s, &d, angle, nullptr, SDL_FLIP_NONE);
  SDL_RenderSetClipRect(renderer_, nullptr);
}

TTF_Font* SdlCanvas::FontFor(int size_px, bool bold) {
  size_px = std::clamp(size_px, 1, 1000);
  auto key = std::make_pair(size_px, bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const EmbeddedFile* face = FindEmbeddedFile("Inconsolata.otf");
  TTF_Font* f = nullptr;
  if (face) f = TTF_OpenFontRW(SDL_RWFromConstMem(face->data, static_cast<int>(face->size)), 1, size_px);
  if (f && bold) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
  fonts_[key] = f;
  return f;
}

SdlCanvas::TextEntry* SdlCanvas::TextTexture(const std::string& text, int size_px, bool bold) {
  const std::string key = std::to_string(size_px) + (bold ? "b:" : ":") + text;
  auto it = texts_.find(key);
  if (it != texts_.end()) {
    text_lru_.splice(text_lru_.begin(), text_lru_, it->second.lru);
    return &it->second;
  }
  TTF_Font* f = FontFor(size_px, bold);
  if (!f) return nullptr;
  SDL_Surface* s = TTF_RenderUTF8_Blended(f, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!s) return nullptr;
  SDL_Texture* t = SDL_CreateTextureFromSurface(renderer_, s);
  const int w = s->w, h = s->h;
  SDL_FreeSurface(s);
  if (!t) return nullptr;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  if (texts_.size() >= kMaxTextTextures) {
    auto old = texts_.find(text_lru_.back());
    SDL_DestroyTexture(old->second.texture);
    texts_.erase(old);
    text_lru_.pop_back();
  }
  text_lru_.push_front(key);
  TextEntry& e = texts_[key];
  e.texture = t, e.w = w, e.h = h, e.lru = text_lru_.begin();
  return &e;
}

void SdlCanvas::DrawText(const std::string& text, const RectF& box, float size_px, bool bold, uint32_t argb,
                         float alpha, TextAlign h, TextAlign v) {
  if (text.empty() || alpha <= 0) return;
  DrawPendingBackdrop();
  TextEntry* e = TextTexture(text, static_cast<int>(std::lround(size_px)), bold);
  if (!e) return;
  float x = box.left, y = box.top;
  if (h == TextAlign::Center) x = box.left + (box.Width() - e->w) / 2;
  if (h == TextAlign::Trailing) x = box.right - e->w;
  if (v == TextAlign::Center) y = box.top + (box.Height() - e->h) / 2;
  if (v == TextAlign::Trailing) y = box.bottom - e->h;
  SDL_SetTextureColorMod(e->texture, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  SDL_SetTextureAlphaMod(e->texture, AlphaByte(alpha * ((argb >> 24) & 0xFF) / 255.0f));
  const SDL_FRect d{x, y, float(e->w), float(e->h)};
  SDL_RenderCopyF(renderer_, e->texture, nullptr, &d);
}

SizeF SdlCanvas::MeasureText(const std::string& text, float size_px, bool bold) {
  TTF_Font* f = FontFor(static_cast<int>(std::lround(size_px)), bold);
  if (!f) return {};
  int w = 0, h = 0;
  if (text.empty()) {
    h = TTF_FontLineSkip(f);
  } else {
    TTF_SizeUTF8(f, text.c_str(), &w, &h);
  }
  return SizeF{float(w), float(h)};
}

}  // namespace kirpo

namespace kirpo {

namespace {

// The outline of a rounded rectangle, clockwise from the top-left corner's arc.
std::vector<SDL_FPoint> RoundRectContour(const RectF& r, float radius) {
  radius = std::clamp(radius, 0.0f, std::min(r.Width(), r.Height()) / 2);
  constexpr int kArcSteps = 8;
  const float cx[4] = {r.left + radius, r.right - radius, r.right - radius, r.left + radius};
  const float cy[4] = {r.top + radius, r.top + radius, r.bottom - radius, r.bottom - radius};
  std::vector<SDL_FPoint> out;
  out.reserve(4 * (kArcSteps + 1));
  for (int corner = 0; corner < 4; ++corner) {
    const double start = M_PI + corner * M_PI / 2;
    for (int i = 0; i <= kArcSteps; ++i) {
      const double a = start + (M_PI / 2) * i / kArcSteps;
      out.push_back(SDL_FPoint{cx[corner] + radius * float(std::cos(a)), cy[corner] + radius * float(std::sin(a))});
    }
  }
  return out;
}

SDL_Color Mix(uint32_t top, uint32_t bottom, float t, float alpha) {
  auto ch = [&](int shift) {
    const float a = float((top >> shift) & 0xFF), b = float((bottom >> shift) & 0xFF);
    return a + (b - a) * std::clamp(t, 0.0f, 1.0f);
  };
  return SDL_Color{static_cast<Uint8>(ch(16) + 0.5f), static_cast<Uint8>(ch(8) + 0.5f),
                   static_cast<Uint8>(ch(0) + 0.5f), static_cast<Uint8>(std::clamp(ch(24) * alpha, 0.0f, 255.0f))};
}

}  // namespace

void SdlCanvas::FillRoundRect(const RectF& r, float radius, uint32_t top_argb, uint32_t bottom_argb, float alpha) {
  if (alpha <= 0 || r.Width() <= 0 || r.Height() <= 0) return;
  DrawPendingBackdrop();
  const std::vector<SDL_FPoint> contour = RoundRectContour(r, radius);
  auto vertex = [&](SDL_FPoint p) {
    return SDL_Vertex{p, Mix(top_argb, bottom_argb, (p.y - r.top) / r.Height(), alpha), SDL_FPoint{0, 0}};
  };
  std::vector<SDL_Vertex> v;
  v.reserve(contour.size() * 3);
  const SDL_FPoint centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  for (size_t i = 0; i < contour.size(); ++i) {
    v.push_back(vertex(centre));
    v.push_back(vertex(contour[i]));
    v.push_back(vertex(contour[(i + 1) % contour.size()]));
  }
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
  SDL_RenderGeometry(renderer_, nullptr, v.data(), static_cast<int>(v.size()), nullptr, 0);
}

void SdlCanvas::StrokeRoundRect(const RectF& r, float radius, float thickness, uint32_t argb, float alpha) {
  if (alpha <= 0 || thickness <= 0 || r.Width() <= 0 || r.Height() <= 0) return;
  DrawPendingBackdrop();
  thickness = std::min(thickness, std::min(r.Width(), r.Height()) / 2);
  const RectF inner{r.left + thickness, r.top + thickness, r.right - thickness, r.bottom - thickness};
  // Both contours have the same number of points, so point i of one faces point i of the other.
  const std::vector<SDL_FPoint> out = RoundRectContour(r, radius);
  const std::vector<SDL_FPoint> in = RoundRectContour(inner, std::max(0.0f, radius - thickness));
  const SDL_Color c = Mix(argb, argb, 0, alpha);
  std::vector<SDL_Vertex> v;
  v.reserve(out.size() * 6);
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t j = (i + 1) % out.size();
    for (SDL_FPoint p : {out[i], out[j], in[i], in[i], out[j], in[j]}) v.push_back(SDL_Vertex{p, c, SDL_FPoint{0, 0}});
  }
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
  SDL_RenderGeometry(renderer_, nullptr, v.data(), static_cast<int>(v.size()), nullptr, 0);
}

void SdlCanvas::SetClip(const RectF& clip) {
  DrawPendingBackdrop();
  const SDL_Rect c = ToRect(clip);
  SDL_RenderSetClipRect(renderer_, &c);
}

void SdlCanvas::ResetClip() { SDL_RenderSetClipRect(renderer_, nullptr); }

}  // namespace kirpo
