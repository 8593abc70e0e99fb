#pragma once
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

struct SDL_Renderer;
struct SDL_Texture;
typedef struct _TTF_Font TTF_Font;

namespace kirpo {

// A canvas on an SDL renderer (a window's, or a software renderer on a surface).
class SdlCanvas final : public Canvas {
 public:
  explicit SdlCanvas(SDL_Renderer* renderer);
  ~SdlCanvas() override;
  SdlCanvas(const SdlCanvas&) = delete;
  SdlCanvas& operator=(const SdlCanvas&) = delete;

  int Width() const override;
  int Height() const override;
  void Clear(uint32_t argb) override;
  void ClearRect(const RectF& r, uint32_t argb) override;
  void FillRect(const RectF& r, uint32_t argb, float alpha) override;
  void DrawBitmap(const Bitmap& bmp, const RectF& src, const RectF& dst, float alpha) override;
  void DrawBitmapRotated(const Bitmap& bmp, const RectF& src, const RectF& dst, double angle, float alpha,
                         const RectF& clip) override;
  void DrawText(const std::string& text, const RectF& box, float size_px, bool bold, uint32_t argb, float alpha,
                TextAlign h, TextAlign v) override;
  SizeF MeasureText(const std::string& text, float size_px, bool bold) override;
  void FillRoundRect(const RectF& r, float radius, uint32_t top_argb, uint32_t bottom_argb, float alpha) override;
  void StrokeRoundRect(const RectF& r, float radius, float thickness, uint32_t argb, float alpha) override;
  void SetClip(const RectF& clip) override;
  void ResetClip() override;

  // Drawn by Clear(0): what lies behind the game picture.
  void SetBackdrop(std::function<void(Canvas&)> backdrop) override { backdrop_ = std::move(backdrop); }
  SDL_Renderer* Renderer() const { return renderer_; }
  void Flush() override;
  void BeginKeep() override;
  void EndKeep() override;
  bool DrawKept() override;
  void SetPictureAspect(float aspect) override;
  RectF PictureRect() const override;
  // The whole output's pixels, bars included.
  std::unique_ptr<Bitmap> ReadOutput();
  // Textures held for bitmaps (each level's background is a new one): freed as their bitmaps die.
  size_t CachedTextureCount() const { return textures_.size(); }

 private:
  struct CachedTexture {
    SDL_Texture* texture = nullptr;
    uint64_t version = 0;
    int w = 0, h = 0;
    bool opaque = false;  // every pixel fully opaque: copied without blending
    // A large picture stretched over the canvas is kept scaled to the canvas's size, so a frame
    // costs a plain copy instead of a filtered stretch; it then has no texture of its own size.
    SDL_Texture* scaled = nullptr;
    uint64_t scaled_version = 0;
    int scaled_w = 0, scaled_h = 0;
    // A large picture held encoded and drawn in parts (a sheet of previews) is held as the bands
    // of its rows that are drawn, the last used first.
    struct Band {
      SDL_Texture* texture = nullptr;
      int top = 0, rows = 0;
      uint64_t version = 0;
      bool opaque = false;
    };
    std::list<Band> bands;
  };
  struct TextEntry {
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0;
    std::list<std::string>::iterator lru;
  };
  CachedTexture* TextureFor(const Bitmap& bmp);
  // The picture scaled to w x h, without keeping a texture of its own size.
  CachedTexture* ScaledOnly(const Bitmap& bmp, int w, int h);
  // A texture for a picture held encoded, filled by decoding into it; false when that fails.
  bool FillFromEncoded(CachedTexture& c, const Bitmap& bmp);
  // The band of bmp's rows that holds rows [top, top + rows), made when there is none.
  CachedTexture::Band* BandFor(const Bitmap& bmp, int top, int rows);
  static void DestroyTextures(CachedTexture& c);
  void DropReleasedTextures();
  BitmapReleaseQueue released_;
  TTF_Font* FontFor(int size_px, bool bold);
  TextEntry* TextTexture(const std::string& text, int size_px, bool bold);

  // Puts the renderer's viewport on the picture and paints the bars around it.
  void ApplyPictureView();
  bool Targeting() const;
  SizeF DrawingSize() const;

  SDL_Renderer* renderer_;
  float aspect_ = 0;
  bool in_backdrop_ = false;
  // Clear(0) only notes the backdrop: the next drawing either covers the whole canvas with an
  // opaque picture (the usual frame), and the backdrop is never drawn, or draws it first.
  bool backdrop_pending_ = false;
  void DrawPendingBackdrop();
  std::function<void(Canvas&)> backdrop_;
  SDL_Texture* kept_ = nullptr;
  int kept_w_ = 0, kept_h_ = 0;
  bool keeping_ = false;
  std::unordered_map<uint64_t, CachedTexture> textures_;
  std::map<std::pair<int, bool>, TTF_Font*> fonts_;
  std::unordered_map<std::string, TextEntry> texts_;
  std::list<std::string> text_lru_;
};

}  // namespace kirpo
