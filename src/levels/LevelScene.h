#pragma once
#include <memory>
#include <string>

#include "levels/Recordings.h"
#include "platform/Bitmap.h"
#include "sprites/SpriteScene.h"

namespace kirpo {

// What the level routines need of a game besides the sprites: the level's background picture and
// the demo's recordings.
struct LevelScene : SpriteScene {
  explicit LevelScene(const std::string& data_dir) : SpriteScene(data_dir) {}

  Recordings recordings;
  std::unique_ptr<Bitmap> BackgroundBitmap;
};

}  // namespace kirpo
