// Kirpo-Movies.txt: the table of animation strips and the frame widths it gives.
#include "fuzz/FuzzSupport.h"
#include "sprites/FigureStore.h"

using namespace kirpo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    const std::string d = fuzz::MakeFolder("movies");
    fuzz::WriteFigures(d, {0, 1, 2});
    return d;
  }();
  static FigureStore* figures = [] {
    auto* f = new FigureStore(dir);
    f->BuildingImageStore = true;
    f->KeepStore = false;
    f->LoadFigureImages(3);
    return f;
  }();
  fuzz::WriteWhole(dir + "Kirpo-Movies.txt", data, size);
  figures->MovieList().clear();
  figures->LoadMovieList();
  for (int n : {0, 1, 2, 201, 202, -1, 400}) (void)figures->FrameWidth(n);
  return 0;
}
