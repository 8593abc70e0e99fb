#include "sprites/SpriteWorld.h"

#include <algorithm>

#include "common/Rounding.h"

namespace kirpo {

SpriteWorld::SpriteWorld() : tiles_(static_cast<size_t>(kTilesAcross) * kTilesDown) {
  sprites_.reserve(MaxSprites + 1);
}

int SpriteWorld::SlotOf(const TSprite* s) const {
  if (!s || sprites_.empty()) return -1;
  const TSprite* base = sprites_.data();
  if (s < base || s >= base + sprites_.size()) return -1;
  return static_cast<int>(s - base);
}

TSprite& SpriteWorld::EnsureBlockTemplate() {
  if (!block_template_) {
    block_template_ = std::make_unique<TSprite>();
    TSprite& t = *block_template_;
    t.Id = ++NextSpriteId;
    t.Typ = t.UrTyp = TypStein;
    t.TypBez = TypeNames[TypStein];
    t.CanDoCollisions = true;
    t.Visible = true;
    t.Status = 0;
    t.ActualScaleProz = 0;
    t.Transpar0124 = 0;
  }
  return *block_template_;
}

TSprite* SpriteWorld::NewSprite(int32_t typ, int64_t now) {
  if (SpriteCount() >= MaxSprites) return nullptr;
  sprites_.emplace_back();
  TSprite& s = sprites_.back();
  s.Id = ++NextSpriteId;
  s.TypBez = (typ >= 0 && typ < TypeCount) ? TypeNames[typ] : "";
  s.Typ = s.UrTyp = typ;
  s.lastRaketenSchuss = now - 10000;
  return &s;
}

void SpriteWorld::ClearList() {
  sprites_.clear();
  runner_slot_ = -1;
}

int32_t SpriteWorld::ValueFor(const TSprite* s) const {
  if (!s) return 0;
  if (s == block_template_.get()) return BlockSlot;
  const int slot = SlotOf(s);
  return slot >= 0 ? slot + 1 : 0;
}

TSprite* SpriteWorld::SpriteAt(float x, float y) {
  const int32_t xi = Round(x), yi = Round(y);
  if (xi < 0 || xi >= DesignWidth || yi < 0 || yi >= DesignHeight) return nullptr;
  const int32_t v = MapValueAt(xi, yi);
  if (v == 0) return nullptr;
  if (v == BlockSlot) return block_template_.get();
  // A slot beyond the list is a leftover of a torn-down level that the map still remembers.
  if (v - 1 >= SpriteCount()) return nullptr;
  return &sprites_[static_cast<size_t>(v - 1)];
}

void SpriteWorld::SetSpriteAt(const TSprite* s, float x, float y) {
  const int32_t xi = Round(x), yi = Round(y);
  if (xi < 0 || xi >= DesignWidth || yi < 0 || yi >= DesignHeight) return;
  SetMapValue(xi, yi, ValueFor(s));
}

void SpriteWorld::ClearMap() {
  for (std::unique_ptr<Tile>& t : tiles_) t.reset();
}

size_t SpriteWorld::MapTiles() const {
  return static_cast<size_t>(std::count_if(tiles_.begin(), tiles_.end(), [](const auto& t) { return t != nullptr; }));
}

}  // namespace kirpo
