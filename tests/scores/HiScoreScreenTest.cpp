// The table screen drawn on a real offscreen canvas.
#include "scores/HiScoreScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "game/Game.h"
#include "game/GameTestSupport.h"
#include "platform/Bitmap.h"
#include "platform/Host.h"
#include "scores/HiScores.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct HiScoreScreenTest : ::testing::Test {
  test::TempDir dir;
  test::ScopedManualClock clock{100000};
  Game g{dir.Path()};
  std::unique_ptr<Host> host;

  void SetUp() override {
    clock->Drive(&g.st.Time);
    test::PrepareGame(g, dir, true);
    g.figures.LoadFigureImages(3, 0, 0);
    host = CreateOffscreenHost(960, 600);
    ASSERT_TRUE(host);
    g.PaintCanvas = &host->GetCanvas();
    g.ScaleX = g.ScaleY = g.FitScaleX = g.FitScaleY = 0.5f;
    HiScoreList list{};
    list[0] = TPlayer{"ANNA", 9000, "d"};
    list[1] = TPlayer{"BOB", 1230, "d"};
    list[2] = TPlayer{"", 800, "d"};
    g.hiscores().HiScoreTable = list;
    g.hiscores().TableDifficulty = 1;
    g.st.HiScoresShownAt = GameTicks();
  }
  // Pixels of about this colour in the rows [top, bottom) of the picture.
  int CountColour(uint32_t argb, int top = 0, int bottom = 600) {
    g.PaintCanvas->Clear(0xFF000000);
    ShowHiScoreTable(g);
    g.PaintCanvas->Flush();
    auto pixels = host->ReadPixels();
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < pixels->Width(); ++x) {
        const uint32_t p = pixels->Pixel(x, y);
        bool near = true;
        for (int shift = 0; shift < 24; shift += 8)
          near = near && std::abs(int((p >> shift) & 0xFF) - int((argb >> shift) & 0xFF)) <= 8;
        n += near;
      }
    return n;
  }
};

TEST_F(HiScoreScreenTest, SplashForThreeSecondsThenTheRowsWithTheEnteredOneLitInItsOwnTable) {
  constexpr uint32_t White = 0xFFFFFFFF, Lit = 0xFFADFF2F;
  g.hiscores().HighlightRank = 1;
  g.hiscores().HighlightDifficulty = 1;
  clock->Advance(2999);
  const int splash_white = CountColour(White);  // the splash picture's own white
  clock->Advance(1);
  EXPECT_GT(CountColour(White), 5 * splash_white) << "the rows in white";
  // Rows begin below the title at a fifth of the height: the second one is lit.
  EXPECT_GT(CountColour(Lit, 200, 600), 100);
  EXPECT_EQ(g.hiscores().HiScoreTable[2].Name, "------------");
  EXPECT_EQ(g.hiscores().HiScoreTable[9].Name, "------------");

  g.hiscores().HighlightDifficulty = 2;  // entered in another difficulty's table
  EXPECT_LT(CountColour(Lit, 200, 600), 10);
}

}  // namespace
}  // namespace kirpo
