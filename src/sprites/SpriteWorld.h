#pragma once
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
  int32_t MapValueAt(int x, int y) const { return map_[static_cast<size_t>(x) * DesignHeight + y]; }
  int16_t* MapData() { return map_.data(); }
  // The map's value for a sprite: its slot + 1, BlockSlot for the block template, 0 for none.
  int32_t ValueOf(const TSprite* s) const { return ValueFor(s); }

  int32_t NextSpriteId = 0;
  RandomGenerator Random;

 private:
  int32_t ValueFor(const TSprite* s) const;
  std::vector<TSprite> sprites_;
  std::unique_ptr<TSprite> block_template_;
  int runner_slot_ = -1;
  // Slot numbers fit 16 bits; the map has a cell per design pixel, so this halves its 9 MB.
  std::vector<int16_t> map_;
};

}  // namespace kirpo
