// A demo recording: decoded into records whose places and figures the demo then shows.
#include "fuzz/FuzzSupport.h"
#include "game/Game.h"
#include "levels/Movies.h"

using namespace kirpo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = fuzz::MakeFolder("recording");
  static Game* g = new Game(dir);
  fuzz::WriteWhole(dir + "recordings_0.txt", data, size);
  g->st.Level = 0;
  LoadRecordings(*g);
  for (int i = 0; i < RecordCount; i += 97) {
    const RecordFrame& f = g->recordings.Frame(i);
    if (!(f.RunnerX >= 0 && f.RunnerX <= DesignWidth && f.TouchY >= 0 && f.TouchY <= DesignHeight)) __builtin_trap();
  }
  return 0;
}
