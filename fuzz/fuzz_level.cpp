// A level file: the loader turns it into the background and the level's sprites, or refuses it
// with the level file's error.
#include "common/Errors.h"
#include "fuzz/FuzzSupport.h"
#include "game/Game.h"
#include "levels/LevelLoader.h"

using namespace kirpo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    const std::string d = fuzz::MakeFolder("level");
    fuzz::WriteFigures(d, {2, 3, 7, 41});
    return d;
  }();
  static Game* g = [] {
    auto* game = new Game(dir);
    game->figures.BuildingImageStore = true;
    game->figures.LoadFigureImages(3);
    return game;
  }();
  fuzz::WriteWhole(dir + "generatedfigures_0.txt", data, size);
  g->world.ClearList();
  g->world.ClearMap();
  g->st.Level = 0;
  g->st.Difficulty = size % 3;
  g->st.Demomode = size % 2;
  try {
    LoadLevelFile(*g);
  } catch (const FatalErrorException&) {
  }
  return 0;
}
