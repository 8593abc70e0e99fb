// Leaves the real program in its attract mode for hours of game clock, headless and faster than real
// time, and prints its memory as it goes: a game left running overnight must end the night with the
// memory it started with.
//
// Usage: kirpo_soak <data folder with the unpacked package> [minutes of game clock, default 120]
//                   [report every N minutes, default 10]
// The data folder is used as it is (kirpo.ini and image.store are written there); point it at a copy.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "common/Errors.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "platform/SdlCanvas.h"
#include "shell/App.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
static size_t LiveHeapBytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
static size_t LiveHeapBytes() { return mallinfo2().uordblks; }
#endif

namespace {

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kirpo;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <data folder> [minutes] [report every N minutes]\n", argv[0]);
    return 64;
  }
  std::string data = argv[1];
  if (data.back() != '/') data += '/';
  const int64_t minutes = argc > 2 ? std::atoll(argv[2]) : 120;
  const int64_t every = argc > 3 ? std::max<int64_t>(1, std::atoll(argv[3])) : 10;

  std::string error;
  if (!InitVideo(&error)) {
    std::fprintf(stderr, "no video driver: %s\n", error.c_str());
    return 1;
  }
  static ManualClock clock(0);
  SetGameClock(&clock);
  std::unique_ptr<Host> host = CreateOffscreenHost(960, 600);
  try {
    App app(*host, data, data);
    app.StartUp();
    auto* canvas = dynamic_cast<SdlCanvas*>(&host->GetCanvas());
    std::printf("%8s %10s %12s %9s\n", "minute", "rss_kb", "live_heap_kb", "textures");
    for (int64_t minute = 0; minute <= minutes; ++minute) {
      if (minute > 0) app.RunUntil(minute * 60000);
      if (minute % every == 0)
        std::printf("%8lld %10ld %12zu %9zu\n", static_cast<long long>(minute), ResidentKb(), LiveHeapBytes() / 1024,
                    canvas ? canvas->CachedTextureCount() : 0);
      std::fflush(stdout);
      if (app.Closed()) break;
    }
  } catch (const FatalErrorException& e) {
    std::fprintf(stderr, "fatal error %d: %s\n", e.Code(), e.what());
    return e.Code();
  }
  return 0;
}
