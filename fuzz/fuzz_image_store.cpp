// image.store: read at start-up, figures served from it, and written anew when it was damaged.
#include "fuzz/FuzzSupport.h"
#include "sprites/FigureStore.h"

#include <stdexcept>

using namespace kirpo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    const std::string d = fuzz::MakeFolder("store");
    fuzz::WriteFigures(d, {0, 1, 5});
    return d;
  }();
  fuzz::WriteWhole(dir + "image.store", data, size);
  FigureStore store(dir);
  store.ReadImageStore();
  try {
    store.LoadFigureImages(3);
  } catch (const std::runtime_error&) {
  }
  (void)store.FrameWidth(0), (void)store.FrameHeight(5);
  if (store.BuildingImageStore) store.WriteImageStore();
  return 0;
}
