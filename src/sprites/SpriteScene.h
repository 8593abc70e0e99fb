#pragma once
#include <string>

#include "common/GameState.h"
#include "sound/SoundPlayer.h"
#include "sprites/FigureStore.h"
#include "sprites/SpriteWorld.h"

namespace kirpo {

class Canvas;

// What the sprite routines need of a game: its state table and game time, the sprite world, the
// figures, the sound and the paint in progress. The game is one; sprites/ never sees the rest.
struct SpriteScene {
  explicit SpriteScene(const std::string& data_dir) : DataDir(data_dir), figures(data_dir) {}
  SpriteScene(const SpriteScene&) = delete;
  SpriteScene& operator=(const SpriteScene&) = delete;

  std::string DataDir;  // with a trailing slash
  GameState st;
  SpriteWorld world;
  FigureStore figures;

  // The paint in progress
  Canvas* PaintCanvas = nullptr;
  float ScaleX = 1, ScaleY = 1, FitScaleX = 1, FitScaleY = 1;
  int PboxWidth = 960, PboxHeight = 600;  // the game picture's size in pixels
  float PboxOpacity = 0;  // the game picture's opacity; the window fades in by raising it
  // Tools that replay long levels skip drawing altogether.
  bool SkipDrawing = false;

  SoundPlayer* sound = &null_sound;

  TSprite* RunnerSprite() { return world.RunnerSprite(); }

 private:
  SoundPlayer null_sound;
};

}  // namespace kirpo
