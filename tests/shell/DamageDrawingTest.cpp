// The window draws only what changed from one frame to the next; over long stretches of the real
// program what it shows must stay exactly what a full redraw shows.
#include <gtest/gtest.h>

#include "common/Consts.h"
#include "platform/DamageCanvas.h"
#include "shell/AppFixture.h"

namespace kirpo {
namespace {

struct DamageDrawingTest : test::AppFixture {
  DamageDrawingTest() { host = CreateOffscreenHost(960, 600, true); }

  // Pixels where the window differs from a full redraw of its last frame.
  int DifferencesFromFullRedraw() {
    auto shown = host->ReadPixels();
    auto full = CreateOffscreenHost(960, 600);
    dynamic_cast<DamageCanvas&>(host->GetCanvas()).DrawLastFrame(full->GetCanvas());
    auto expected = full->ReadPixels();
    int n = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 960; ++x) n += shown->Pixel(x, y) != expected->Pixel(x, y);
    return n;
  }
};

TEST_F(DamageDrawingTest, AMinuteOfTheAttractModeShowsWhatAFullRedrawShows) {
  app->StartUp();
  int64_t drawn = 0, frames = 0;
  for (int second = 1; second <= 60; ++second) {
    const int64_t presents = host->Presents();
    app->RunUntil(second * 1000);
    frames += host->Presents() - presents;
    drawn += dynamic_cast<DamageCanvas&>(host->GetCanvas()).LastDrawnPixels();
    ASSERT_EQ(DifferencesFromFullRedraw(), 0) << "after " << second << " s";
  }
  EXPECT_GT(frames, 60 * 50);
}

TEST_F(DamageDrawingTest, AMinuteOfPlayAndPauseShowsWhatAFullRedrawShows) {
  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app->StartUp();
  app->RunUntil(5000);
  const int keys[] = {VK_LEFT, VK_DOWN, VK_RIGHT, VK_SPACE, VK_UP, VK_RIGHT, VK_LEFT, VK_F5, VK_F5};
  int64_t t = 5000;
  for (int round = 0; t < 65000; ++round) {
    Press(keys[round % std::size(keys)], 700);
    t = clock->Now();
    ASSERT_EQ(DifferencesFromFullRedraw(), 0) << "after " << t << " ms";
  }
  // A still picture draws nothing more.
  if (!app->G().st.Paused) Press(VK_F5, 100);
  app->RunUntil(clock->Now() + 1000);
  ASSERT_TRUE(app->G().st.Paused);
  app->RunUntil(clock->Now() + 1000);
  EXPECT_EQ(dynamic_cast<DamageCanvas&>(host->GetCanvas()).LastDrawnPixels(), 0);
  EXPECT_EQ(DifferencesFromFullRedraw(), 0);
}

}  // namespace
}  // namespace kirpo
