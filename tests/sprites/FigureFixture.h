#pragma once
// Real figure files for the sprite and level tests: small PNGs written into a temporary data
// folder and loaded through the figure store, as the game does on its first run.
#include <cstdint>
#include <memory>
#include <string>

#include "game/Game.h"
#include "platform/Bitmap.h"
#include "support/TempDir.h"

namespace kirpo::test {

// The colour of pixel (0, 0): the store makes it transparent wherever it occurs.
constexpr uint32_t KeyColour = 0xFFFF00FFu;

// A w x h picture filled with colour, its top-left pixel set to the key colour.
inline Bitmap FigurePicture(int w, int h, uint32_t colour) {
  Bitmap b(w, h, colour);
  b.SetPixel(0, 0, KeyColour);
  return b;
}

inline void WriteFigure(const TempDir& dir, int n, const Bitmap& picture) {
  picture.SavePng(dir.File("Neu" + std::to_string(n) + ".png"));
}

inline void WriteFigure(const TempDir& dir, int n, int w, int h, uint32_t colour) {
  WriteFigure(dir, n, FigurePicture(w, h, colour));
}

// Loads every figure file of the folder from its file (a first run without a store).
inline void LoadFigures(Game& g) {
  g.figures.BuildingImageStore = true;
  g.figures.LoadFigureImages(3);
}

// A game whose data folder is a fresh temporary folder.
struct GameInDir {
  TempDir dir;
  std::unique_ptr<Game> game = std::make_unique<Game>(dir.Path());
  Game& g() { return *game; }
};

}  // namespace kirpo::test
