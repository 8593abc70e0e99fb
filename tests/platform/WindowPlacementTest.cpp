// The stored window placement against the real display (SDL's dummy driver in the unit run).
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/Host.h"

namespace kirpo {
namespace {

// A width of 999999999 in kirpo.ini made a window 51711 pixels wide under X, stored again at close.
TEST(WindowPlacementTest, AStoredSizeBeyondTheDisplayIsCutToIt) {
  std::string error;
  if (!InitVideo(&error)) GTEST_SKIP() << error;
  std::unique_ptr<Host> host = CreateWindowHost(960, 600, "placement test", false, &error);
  ASSERT_TRUE(host) << error;
  SDL_Rect usable;
  ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
  struct Case {
    int w, h;
    int expect_w, expect_h;
  } cases[] = {
      {999999999, 600, usable.w, 600},
      {800, 2147483647, 800, usable.h},
      {usable.w + 1, usable.h + 1, usable.w, usable.h},
      {700, 450, 700, 450},
  };
  for (const Case& c : cases) {
    host->Restore(WindowPlacement{0, 0, c.w, c.h, false});
    const WindowPlacement p = host->Placement();
    EXPECT_EQ(p.w, c.expect_w) << c.w << "x" << c.h;
    EXPECT_EQ(p.h, c.expect_h) << c.w << "x" << c.h;
  }
}

}  // namespace
}  // namespace kirpo
