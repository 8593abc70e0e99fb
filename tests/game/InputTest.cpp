#include "game/Input.h"

#include <gtest/gtest.h>

#include "game/GameFlow.h"
#include "game/Movement.h"
#include "game/RulesFixture.h"
#include "game/MainFormLayout.h"

namespace kirpo {
namespace {

using test::CellX;
using test::CellY;

struct InputTest : test::RulesTest {
  test::TempDir ini_dir;

  void SetUp() override {
    RulesTest::SetUp();
    g().settings.SetPath(ini_dir.File("kirpo.ini"));
  }

  // The main form in a 960 x 600 window: layout units are window pixels.
  void Form() {
    BuildMainForm(g());
    BindMainFormInput(g());
  }
  void Press(Widget* w) {
    g().mf.form.MouseMove(w->x + 5, w->y + 5, 960, 600);
    g().mf.form.MouseDown(w->x + 5, w->y + 5, 960, 600);
  }
  void Release(Widget* w) { g().mf.form.MouseUp(w->x + 5, w->y + 5, 960, 600); }
  void SlideOff() { g().mf.form.MouseMove(400, 300, 960, 600); }
};

TEST_F(InputTest, ArrowButtonsActLikeHeldKeys) {
  struct Case {
    const char* name;
    std::function<void()> act;
    bool up, down, left, right, jump;
  };
  MainForm& mf = g().mf;
  const Case cases[] = {
      {"press right drops left", [&] { Press(mf.b_rechts); }, false, false, false, true, false},
      {"release right", [&] { Press(mf.b_rechts), Release(mf.b_rechts); }, false, false, false, false, false},
      {"slide off right", [&] { Press(mf.b_rechts), SlideOff(); }, false, false, false, false, false},
      {"up while left is held", [&] { Press(mf.b_hoch); }, true, false, true, false, false},
      {"down drops up", [&] { Press(mf.b_hoch), Press(mf.b_runter); }, false, true, true, false, false},
      {"jump held", [&] { Press(mf.b_jump); }, false, false, true, false, true},
      {"jump let go", [&] { Press(mf.b_jump), Release(mf.b_jump); }, false, false, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({"."});
    Form();
    st().NavLeft = true;  // left was being held before
    c.act();
    EXPECT_EQ(st().NavUp, c.up);
    EXPECT_EQ(st().NavDown, c.down);
    EXPECT_EQ(st().NavLeft, c.left);
    EXPECT_EQ(st().NavRight, c.right);
    EXPECT_EQ(st().NavJump, c.jump);
  }
}

// The runner stands at (572, 470); taps are judged from its lower-right corner (624, 522). A 1920
// x 1200 paint box makes these taps exact design units.
TEST_F(InputTest, ATapSetsARequestAndTheNearestCellLineAsTarget) {
  struct Case {
    const char* name;
    float x, y;
    bool touch_mode, demo, started;
    char request;  // U D L R J, or '-' for none
    float target_x, target_y;
  };
  const Case cases[] = {
      {"right", 768, 525, true, false, true, 'R', 780, 522},
      {"left", 480, 510, true, false, true, 'L', 468, 522},
      {"down", 624, 900, true, false, true, 'D', 624, 886},
      {"diagonal goes down", 672, 570, true, false, true, 'D', 676, 574},
      {"diagonal goes up", 576, 474, true, false, true, 'U', 572, 470},
      {"on the corner", 624, 522, true, false, true, '-', 0, 0},
      {"off the field", 0, 300, true, false, true, '-', 0, 0},
      {"button mode", 768, 525, false, false, true, '-', 0, 0},
      {"demo leaves", 768, 525, true, true, true, 'J', 0, 0},
      {"before start-up", 768, 525, true, false, false, '-', 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({"."});
    Form();
    PlaceRunner(11, 9);
    SetNavButtons(g(), !c.touch_mode, false);
    st().Demomode = c.demo;
    if (!c.started) st().AppStartedAt = 0;
    pboxMouseDown(g(), c.x, c.y, 1920, 1200);
    EXPECT_EQ(st().NavUp, c.request == 'U');
    EXPECT_EQ(st().NavDown, c.request == 'D');
    EXPECT_EQ(st().NavLeft, c.request == 'L');
    EXPECT_EQ(st().NavRight, c.request == 'R');
    EXPECT_EQ(st().NavJump, c.request == 'J');
    EXPECT_EQ(st().TargetX, c.target_x);
    EXPECT_EQ(st().TargetY, c.target_y);
  }
}

// Whichever way it walks, the runner ends in the tapped cell when the tap lies in the cell's right
// half, and in the cell to its left otherwise; a tap on its own cell leaves it there or moves it
// one cell.
TEST_F(InputTest, InTouchModeTheRunnerWalksToTheTappedCell) {
  struct Case {
    int from_col;
    float tap_x;
    int end_col;
  };
  const Case cases[] = {{3, 7 * 52 + 40, 7}, {3, 7 * 52 + 10, 6}, {10, 5 * 52 + 40, 5},
                        {10, 5 * 52 + 10, 4}, {3, 3 * 52 + 40, 3}, {3, 3 * 52 + 20, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from_col << " tap " << c.tap_x);
    Build({"################", "#..............#", "################"});
    Form();
    SetNavButtons(g(), false, false);
    PlaceRunner(c.from_col, 1);
    pboxMouseDown(g(), c.tap_x, CellY(1) + 50, 1920, 1200);  // level with its lower edge
    for (int i = 0; i < 600; ++i) MoveRunner(g(), Runner());
    EXPECT_EQ(Runner().X, CellX(c.end_col));
    EXPECT_EQ(st().TargetX, 0);
    EXPECT_FALSE(st().NavLeft || st().NavRight);
  }
}

TEST_F(InputTest, ATapOnAMonsterThrowsWhenTheCellBeyondItIsFree) {
  struct Case {
    char beyond;
    int32_t carried;
    bool thrown;
  };
  for (const Case& c : {Case{'.', 1, true}, Case{'#', 1, false}, Case{'.', 0, false}}) {
    SCOPED_TRACE(testing::Message() << c.beyond << " carrying " << c.carried);
    Build({"#########", std::string("#R..k") + c.beyond + "..#", "#########"});
    Form();  // button mode: taps only aim at monsters
    st().PilzCount = c.carried;
    const int before = g().world.SpriteCount();
    const TSprite& k = Nth(TypKMonster);
    pboxMouseDown(g(), k.X + 26, k.Y + 26, 1920, 1200);
    EXPECT_EQ(Runner().LastDirection, RiOst);
    EXPECT_EQ(Runner().X, CellX(1));  // it turns its throw, not itself
    EXPECT_EQ(g().world.SpriteCount() - before, c.thrown ? 1 : 0);
    EXPECT_EQ(st().PilzCount, c.thrown ? c.carried - 1 : c.carried);
    EXPECT_FALSE(st().NavRight);
  }
}

TEST_F(InputTest, TheMenuRemembersWhichIconOfEachPairWasShowing) {
  Build({"."});
  Form();
  MainForm& mf = g().mf;
  Widget* icons[] = {mf.b_pause, mf.b_play, mf.SpeakerButtonOn, mf.SpeakerButtonOff, mf.b_hand,
                     mf.b_gamepad, mf.FullScreenButton, mf.b_help, mf.b_off};
  for (Widget* w : icons) w->visible = false, w->tag = 0;
  mf.b_pause->tag = mf.SpeakerButtonOff->tag = mf.b_gamepad->tag = 1;
  SetNavButtons(g(), true, false);
  auto shown = [&] {
    std::string s;
    for (Widget* w : icons) s += w->visible ? '1' : '0';
    return s;
  };

  Press(mf.b_menue), Release(mf.b_menue);
  EXPECT_EQ(mf.b_menue->opacity, 1);
  EXPECT_EQ(shown(), "100101111");
  Press(mf.b_pause), Release(mf.b_pause);  // pause: the play icon takes its place
  EXPECT_TRUE(st().PauseToggleRequested);
  Press(mf.b_gamepad), Release(mf.b_gamepad);  // to touch mode, swapped at once
  EXPECT_FALSE(st().ShowNavButtons);
  EXPECT_FALSE(mf.b_rechts->visible);
  EXPECT_EQ(g().settings.ReadIni("ShowNavButtons"), "0");
  EXPECT_EQ(shown(), "010110111");

  Press(mf.b_menue), Release(mf.b_menue);
  EXPECT_EQ(mf.b_menue->opacity, 0.5f);
  EXPECT_EQ(shown(), "000000000");
  Press(mf.b_menue), Release(mf.b_menue);
  EXPECT_EQ(shown(), "010110111");
}

TEST_F(InputTest, TheOpenMenuHidesNothingOfTheHeadUpDisplayAndTakesClicksBetweenItsIcons) {
  Build({"."});
  Form();
  MainForm& mf = g().mf;
  Press(mf.b_menue), Release(mf.b_menue);
  ASSERT_TRUE(mf.MenuPanel->visible);
  std::vector<Widget*> hud{mf.f1MissionLabel, mf.f1Mission, mf.f1BonusLabel, mf.f1Bonus,   mf.f1ScoreLabel,
                           mf.f1Score,        mf.f1HiScoreLabel, mf.f1Hiscore, mf.b_menue};
  for (Widget* w : mf.ReserveKoch) hud.push_back(w);
  for (Widget* w : mf.Pilz) hud.push_back(w);
  for (Widget* w : {mf.b_hoch, mf.b_links, mf.b_rechts, mf.b_runter}) hud.push_back(w);
  auto overlap = [](const Widget& a, const Widget& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
  };
  auto inside = [](const Widget& a, const Widget& b) {
    return a.x >= b.x && a.y >= b.y && a.x + a.w <= b.x + b.w && a.y + a.h <= b.y + b.h;
  };
  for (Widget* icon : {mf.b_pause, mf.b_play, mf.SpeakerButtonOn, mf.SpeakerButtonOff, mf.b_hand, mf.b_gamepad,
                       mf.FullScreenButton, mf.b_help, mf.b_off}) {
    EXPECT_TRUE(inside(*icon, *mf.MenuPanel)) << icon->name;
    for (const Widget* h : hud) EXPECT_FALSE(overlap(*icon, *h)) << icon->name << " covers " << h->name;
  }
  // A click between two icons does not reach the kill button under the menu.
  int asked = 0;
  mf.b_cancel->on_mouse_up = [&](float, float) { ++asked; };
  const float x = mf.b_cancel->x + 25, y = mf.FullScreenButton->y - 0.5f;
  mf.form.MouseDown(x, y, 960, 600);
  mf.form.MouseUp(x, y, 960, 600);
  EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace kirpo
