#include <gtest/gtest.h>
#include <malloc.h>

#include "game/GameFlow.h"
#include "platform/SdlCanvas.h"
#include "shell/AppFixture.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIRPO_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KIRPO_ASAN 1
#endif
#ifdef KIRPO_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kirpo {
namespace {

// Live heap bytes: exact under the sanitizer's allocator (its quarantine keeps freed blocks out of
// the count), the C library's in-use figure otherwise.
size_t LiveHeapBytes() {
#ifdef KIRPO_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// A game left in its attract mode overnight starts hundreds of levels; each one's background is a
// new full-size picture, and what the renderer holds for it must go with it.
using LevelStartMemoryTest = test::AppFixture;

TEST_F(LevelStartMemoryTest, FiftyLevelStartsKeepTexturesAndHeapFlat) {
  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app->StartUp();
  auto* canvas = dynamic_cast<SdlCanvas*>(&host->GetCanvas());
  ASSERT_NE(canvas, nullptr);

  size_t textures_after_warm_up = 0, heap_after_warm_up = 0;
  for (int start = 1; start <= 50; ++start) {
    RetryLevel(app->G());
    app->RunUntil(clock->Now() + 800);
    if (start == 5) {
      textures_after_warm_up = canvas->CachedTextureCount();
      heap_after_warm_up = LiveHeapBytes();
    }
  }
  EXPECT_LE(canvas->CachedTextureCount(), textures_after_warm_up);
  // One level's background with its window-sized copy is about 12 MB; 45 more starts that each
  // kept one would add half a gigabyte.
  const double growth_mb = (static_cast<double>(LiveHeapBytes()) - static_cast<double>(heap_after_warm_up)) / 1e6;
  EXPECT_LT(growth_mb, 8.0);
}

}  // namespace
}  // namespace kirpo
