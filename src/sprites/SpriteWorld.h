#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/Consts.h"
#include "sprites/Random.h"
#include "sprites/Sprite.h"

namespace kirpo {

class FigureStore;

// The sprites of the current level, the occupancy map and the block template.
// Sprites live in fixed slots (never reallocated), so a TSprite* stays valid until the level is
// torn down; the occupancy map holds slot numbers, not pointers.
class SpriteWorld {
 public:
  SpriteWorld();

  // Slot numbers stored in the map: 0 empty, 1..999 sprite slot + 1, BlockSlot the block template.
  static constexpr int32_t BlockSlot = 1000;
  static_assert(MaxSprites < BlockSlot && BlockSlot <= 32767, "slot numbers must fit the map's 16-bit cells");

  std::vector<TSprite>& Sprites() { return sprites_; }
  int SpriteCount() const { return static_cast<int>(sprites_.size()); }
  TSprite& At(int slot) { return sprites_[static_cast<size_t>(slot)]; }
  int SlotOf(const TSprite* s) const;  // -1 for the block template or a foreign sprite

  TSprite* RunnerSprite() { return runner_slot_ >= 0 ? &sprites_[static_cast<size_t>(runner_slot_)] : nullptr; }
  void SetRunnerSlot(int slot) { runner_slot_ = slot; }

  TSprite* BlockTemplate() { return block_template_.get(); }
  TSprite& EnsureBlockTemplate();  // created by the first block the program loads

  // Appends a fresh sprite with its initial values; nullptr when the list is full.
  TSprite* NewSprite(int32_t typ, int64_t now);
  // Forgets every sprite (they have been killed by the caller); RunnerSprite becomes null.
  void ClearList();

  TSprite* SpriteAt(float x, float y);
  void SetSpriteAt(const TSprite* s, float x, float y);
  void ClearMap();
  // The map's cell at a place inside the design space.
  int32_t MapValueAt(int x, int y) const {
    const Tile* t = tiles_[TileIndex(x, y)].get();
    return t ? (*t)[CellIndex(x, y)] : 0;
  }
  void SetMapValue(int x, int y, int32_t value) {
    std::unique_ptr<Tile>& t = tiles_[TileIndex(x, y)];
    if (!t) {
      if (value == 0) return;
      t = std::make_unique<Tile>();
      t->fill(0);
    }
    (*t)[CellIndex(x, y)] = static_cast<int16_t>(value);
  }
  // Tiles of the map that have held an outline since the last ClearMap.
  size_t MapTiles() const;
  // The map's value for a sprite: its slot + 1, BlockSlot for the block template, 0 for none.
  int32_t ValueOf(const TSprite* s) const { return ValueFor(s); }

  int32_t NextSpriteId = 0;
  RandomGenerator Random;

 private:
  int32_t ValueFor(const TSprite* s) const;
  std::vector<TSprite> sprites_;
  std::unique_ptr<TSprite> block_template_;
  int runner_slot_ = -1;
  // The map has a cell per design pixel, but only outlines are entered in it: it is kept in tiles
  // of 32 x 32 cells, made where an outline first falls, which leaves most of the field without
  // any (the whole map would be 4.6 MB). Slot numbers fit 16 bits.
  static constexpr int kTileBits = 5;
  static constexpr int kTilesDown = (DesignHeight + (1 << kTileBits) - 1) >> kTileBits;
  static constexpr int kTilesAcross = (DesignWidth + (1 << kTileBits) - 1) >> kTileBits;
  using Tile = std::array<int16_t, 1 << (2 * kTileBits)>;
  static size_t TileIndex(int x, int y) {
    return static_cast<size_t>(x >> kTileBits) * kTilesDown + static_cast<size_t>(y >> kTileBits);
  }
  static size_t CellIndex(int x, int y) {
    constexpr int mask = (1 << kTileBits) - 1;
    return static_cast<size_t>(((x & mask) << kTileBits) | (y & mask));
  }
  std::vector<std::unique_ptr<Tile>> tiles_;
};

}  // namespace kirpo
