// The start menu in the real program around the game: an offscreen window, a manual clock and input events
// queued as the window system would send them.
#include "startmenu/StartForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/Game.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

InputEvent Event(InputEvent::Type type, int vk = 0) {
  InputEvent e;
  e.type = type;
  e.vk = vk;
  return e;
}

struct StartFormTest : ::testing::Test {
  test::ScopedManualClock clock{0};
  test::TempDir dir;
  std::unique_ptr<Host> host = CreateOffscreenHost(960, 600);
  std::unique_ptr<App> app;
  std::vector<std::string> opened;

  void SetUp() override {
    ASSERT_TRUE(host);
    const std::string data = dir.InstallAssets("data");
    app = std::make_unique<App>(*host, dir.Path(), data);
  }
  Game& G() { return app->G(); }
  StartForm& Menu() { return *app->GetStartForm(); }
  bool MenuUp() { return &app->CurrentForm() == &Menu().form; }
  void Run(int ms) { app->RunUntil(clock->Now() + ms); }

  void KeyDown(int vk) { host->Inject(Event(InputEvent::Type::KeyDown, vk)); }
  void KeyUp(int vk) { host->Inject(Event(InputEvent::Type::KeyUp, vk)); }
  void Key(int vk, int settle_ms = 100) {
    KeyDown(vk);
    Run(30);
    KeyUp(vk);
    Run(settle_ms);
  }
  // Queues a press and release on the widget's centre, in the 960 x 600 canvas's pixels.
  void QueueClick(const Widget& w) {
    const Form& f = app->CurrentForm();
    const float x = (w.x + w.w / 2) * 960 / f.DesignWidth(), y = (w.y + w.h / 2) * 600 / f.DesignHeight();
    InputEvent e = Event(InputEvent::Type::MouseDown);
    e.x = x, e.y = y;
    host->Inject(e);
    e.type = InputEvent::Type::MouseUp;
    host->Inject(e);
  }
  void Click(const Widget& w, int settle_ms = 100) {
    QueueClick(w);
    Run(settle_ms);
  }
  // From start-up into the start menu, as a player pressing Enter in the attract mode.
  void OpenMenu() {
    app->StartUp();
    Run(2000);
    Key(VK_RETURN, 1000);
    ASSERT_TRUE(MenuUp());
  }
};

TEST_F(StartFormTest, EnterInTheAttractModeOpensTheMenuAndNewGameStartsOnTheChosenDifficulty) {
  OpenMenu();
  Game& g = G();
  EXPECT_TRUE(g.st.Demomode) << "Enter opens the menu, not a game";
  EXPECT_TRUE(Menu().p_main->IsShown());
  EXPECT_EQ(Menu().form.Focused(), Menu().b_newgame);
  const int32_t frame = g.st.Level;
  const int64_t bonus_timer = g.st.BonusTimer.LastFired;
  Run(3000);
  EXPECT_EQ(g.st.Level, frame);
  EXPECT_EQ(g.st.BonusTimer.LastFired, bonus_timer);  // the game frame does not run behind the menu

  // Difficulty: Down to the button, Enter opens the panel on the current difficulty; Down, Enter picks Hard.
  Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_TRUE(Menu().p_difficulty->IsShown());
  EXPECT_EQ(Menu().form.Focused(), Menu().b_easy);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(g.st.Difficulty, 1);
  EXPECT_EQ(g.settings.ReadIni("Difficulty"), "1");
  EXPECT_TRUE(Menu().p_main->IsShown());
  EXPECT_EQ(Menu().form.Focused(), Menu().b_difficulty);
  EXPECT_EQ(g.mf.DifficultyImageIndex, 1);

  Key(VK_UP);
  Key(VK_SPACE);
  EXPECT_FALSE(MenuUp());
  Run(500);
  EXPECT_FALSE(g.st.Demomode);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_EQ(g.mf.f1Difficulty->text, "HARD");
  EXPECT_EQ(g.settings.ReadIni("StartMode"), "1");
}

TEST_F(StartFormTest, ArrowKeysWrapRoundEachPanel) {
  OpenMenu();
  StartForm& m = Menu();
  struct Case {
    int vk;
    Widget* from;
    Widget* to;
  };
  const Case main_cases[] = {{VK_DOWN, m.b_newgame, m.b_difficulty}, {VK_DOWN, m.b_Training, m.b_newgame},
                             {VK_UP, m.b_newgame, m.b_Training},     {VK_UP, m.b_difficulty, m.b_newgame}};
  for (const Case& c : main_cases) {
    m.form.SetFocus(c.from);
    Key(c.vk);
    EXPECT_EQ(m.form.Focused(), c.to) << c.from->name << " " << c.vk;
  }
  m.form.SetFocus(m.b_difficulty);
  Key(VK_RETURN);
  const Case difficulty_cases[] = {{VK_DOWN, m.b_crazy, m.b_easy}, {VK_UP, m.b_easy, m.b_crazy},
                                   {VK_DOWN, m.b_easy, m.b_hard}};
  for (const Case& c : difficulty_cases) {
    m.form.SetFocus(c.from);
    Key(c.vk);
    EXPECT_EQ(m.form.Focused(), c.to) << c.from->name << " " << c.vk;
  }
}

TEST_F(StartFormTest, TrainingItemTwoStartsLevelOneAsTraining) {
  OpenMenu();
  Game& g = G();
  Key(VK_UP);  // New Game wraps round to Training
  Key(VK_RETURN, 1000);
  ASSERT_TRUE(Menu().p_training->IsShown());
  ASSERT_EQ(Menu().ListBox1->Count(), 57);
  EXPECT_EQ(Menu().ListBox1->At(56).text, "57");
  EXPECT_EQ(Menu().SelectedLevel, 0);
  Key(VK_RIGHT);
  EXPECT_EQ(Menu().SelectedLevel, 1);
  KeyDown(VK_RETURN);
  Run(30);
  KeyUp(VK_RETURN);
  Run(980);
  EXPECT_TRUE(MenuUp()) << "Enter in the list waits a second before the game starts";
  Run(40);
  ASSERT_FALSE(MenuUp());
  Run(3000);
  EXPECT_FALSE(g.st.Demomode);
  EXPECT_EQ(g.st.Level, 1);
  EXPECT_EQ(g.st.StartLevel, 1);
  EXPECT_EQ(g.mf.f1Difficulty->text, "TRAINING");  // and it stays so while the game is painted
}

TEST_F(StartFormTest, TrainingListKeepsTheSelectionInViewAndAnArrowHeldKeepsStepping) {
  OpenMenu();
  StartForm& m = Menu();
  Click(*m.b_Training, 1000);
  HorizontalList& list = *m.ListBox1;
  for (int i = 0; i < 10; ++i) Key(VK_RIGHT, 20);
  EXPECT_EQ(list.Selected(), 10);
  // Item 10 spans 1480..1628 of a 600-unit box: the row has scrolled so that it ends at the right edge.
  EXPECT_FLOAT_EQ(list.Scroll(), 11 * 148.0f - 600);
  list.ScrollBy(-100000);
  EXPECT_EQ(list.Scroll(), 0);
  list.ScrollBy(100000);
  EXPECT_FLOAT_EQ(list.Scroll(), 57 * 148.0f - 600);

  // Holding the left arrow: one step at the press, then one every 150 ms until it is let go.
  InputEvent down = Event(InputEvent::Type::MouseDown);
  down.x = (m.b_links->x + 30) * 1.5f, down.y = (m.b_links->y + 30) * 1.25f;
  host->Inject(down);
  Run(500);
  EXPECT_EQ(list.Selected(), 10 - 1 - 3);
  InputEvent up = down;
  up.type = InputEvent::Type::MouseUp;
  host->Inject(up);
  Run(1000);
  EXPECT_EQ(list.Selected(), 6);
  EXPECT_EQ(m.SelectedLevel, 6);
  EXPECT_TRUE(MenuUp());
}

TEST_F(StartFormTest, AnArrowHeldAndReleasedOverTheListStartsNothing) {
  OpenMenu();
  StartForm& m = Menu();
  Click(*m.b_Training, 1000);
  const Widget& box = *m.ListBoxBox;
  InputEvent e = Event(InputEvent::Type::MouseDown);
  e.x = (m.b_rechts->x + 30) * 1.5f, e.y = (m.b_rechts->y + 30) * 1.25f;
  host->Inject(e);
  Run(300);
  // Slid off the arrow onto an item of the list, and let go there.
  e.type = InputEvent::Type::MouseMove;
  e.x = (box.x + 60) * 1.5f, e.y = (box.y + 50) * 1.25f;
  host->Inject(e);
  e.type = InputEvent::Type::MouseUp;
  host->Inject(e);
  Run(2000);
  EXPECT_TRUE(MenuUp());
  EXPECT_TRUE(G().st.Demomode);
  EXPECT_EQ(G().st.StartLevel, 0);
}

TEST_F(StartFormTest, ASwipeOverTheListScrollsItAndStartsNothing) {
  OpenMenu();
  StartForm& m = Menu();
  Click(*m.b_Training, 1000);
  const Widget& box = *m.ListBoxBox;
  auto at = [&](InputEvent::Type type, float lx) {
    InputEvent e = Event(type);
    e.x = (box.x + lx) * 1.5f, e.y = (box.y + 50) * 1.25f;
    host->Inject(e);
  };
  at(InputEvent::Type::MouseDown, 400);
  at(InputEvent::Type::MouseMove, 300);
  at(InputEvent::Type::MouseMove, 150);
  at(InputEvent::Type::MouseUp, 150);
  Run(100);
  EXPECT_FLOAT_EQ(m.ListBox1->Scroll(), 250);
  EXPECT_TRUE(MenuUp());
  EXPECT_EQ(m.SelectedLevel, 0);

  InputEvent wheel = Event(InputEvent::Type::Wheel);
  wheel.x = (box.x + 100) * 1.5f, wheel.y = (box.y + 50) * 1.25f, wheel.wheel_y = 1;
  host->Inject(wheel);
  Run(50);
  EXPECT_FLOAT_EQ(m.ListBox1->Scroll(), 250 - HorizontalList::WheelStep);

  // A tap on an item starts it: at this scroll the first whole cell is the second item.
  at(InputEvent::Type::MouseDown, 60);
  at(InputEvent::Type::MouseUp, 60);
  Run(100);
  EXPECT_FALSE(MenuUp());
  EXPECT_EQ(G().st.StartLevel, 1);
}

TEST_F(StartFormTest, AStaleEnterFromTheAttractModeDoesNotActOnTheMenu) {
  app->StartUp();
  Run(2000);
  KeyDown(VK_RETURN);  // held on through the 750 ms wait and the menu's appearance
  Run(2000);
  ASSERT_TRUE(MenuUp());
  KeyDown(VK_RETURN);  // the keyboard's auto-repeat
  Run(100);
  KeyUp(VK_RETURN);
  Run(500);
  EXPECT_TRUE(MenuUp()) << "the held Enter started a game";
  EXPECT_TRUE(G().st.Demomode);
  Key(VK_RETURN, 500);  // a fresh press does
  EXPECT_FALSE(MenuUp());
  EXPECT_FALSE(G().st.Demomode);
}

TEST_F(StartFormTest, ReturnedEnterDoesNotReopenTheMenuFromTheMainForm) {
  OpenMenu();
  Click(*Menu().b_Training, 1000);
  Click(*Menu().Exitbutton, 1000);  // back to the main panel, then back to the attract mode
  Click(*Menu().Exitbutton, 1000);
  ASSERT_FALSE(MenuUp());
  EXPECT_FALSE(G().st.StartGameRequested);
  EXPECT_TRUE(G().st.Demomode);
  // The Enter that leaves the menu with New Game is still held when the main form returns.
  Key(VK_RETURN, 1000);
  ASSERT_TRUE(MenuUp());
  KeyDown(VK_RETURN);
  Run(400);
  EXPECT_FALSE(MenuUp());
  Run(2000);
  KeyUp(VK_RETURN);
  Run(200);
  EXPECT_FALSE(MenuUp()) << "the Enter that started the game opened the menu again";
  EXPECT_FALSE(G().st.Demomode);
}

TEST_F(StartFormTest, AClickDuringTheWaitBeforeThePanelChangesIsIgnored) {
  OpenMenu();
  StartForm& m = Menu();
  // Training waits 750 ms before its panel shows. A click on the exit image 200 ms into that wait (sent by
  // a periodic callback, which runs during the wait) would step straight back to the main panel.
  int32_t status = 0;
  G().timers.AddHiTimer(77, true, &status, [&](int32_t*) { QueueClick(*m.Exitbutton); }, 200);
  Click(*m.b_Training, 1500);
  EXPECT_TRUE(MenuUp());
  EXPECT_TRUE(m.p_training->IsShown());

  // Two clicks polled together: the second was made before the first one's wait had shown anything.
  QueueClick(*m.Exitbutton);
  QueueClick(*m.Exitbutton);
  Run(2000);
  EXPECT_TRUE(MenuUp()) << "one click left the menu altogether";
  EXPECT_TRUE(m.p_main->IsShown());
}

TEST_F(StartFormTest, ClosingTheWindowFromTheMenuEndsTheProgramWithoutAGame) {
  OpenMenu();
  host->Inject(Event(InputEvent::Type::Quit));
  Run(100);
  EXPECT_TRUE(app->Closed());
  EXPECT_FALSE(G().st.StartGameRequested);
  EXPECT_EQ(G().settings.ReadIni("Level"), "0");
}

TEST_F(StartFormTest, EscAndF5GoOnWhileTheMenuIsUp) {
  OpenMenu();
  host->NoteKey(VK_F5, true);
  Run(100);
  host->NoteKey(VK_F5, false);
  EXPECT_TRUE(G().st.Paused);
  Run(1200);
  host->NoteKey(VK_ESCAPE, true);
  Run(100);
  EXPECT_TRUE(app->Closed());
}

TEST_F(StartFormTest, LinksOpenTheHelpPageOfTheDataPackage) {
  OpenMenu();
  const Widget& link = Menu().form.Get("KorvaneLinkButton");
  ASSERT_TRUE(link.on_click);
  std::string url;
  Game& g = G();
  struct Recorder : ShellHooks {
    std::string* url;
    void OpenUrl(const std::string& u) override { *url = u; }
  } recorder;
  recorder.url = &url;
  ShellHooks* shell = g.shell;
  g.shell = &recorder;
  link.on_click();
  g.shell = shell;
  EXPECT_EQ(url, "file://" + g.DataDir + "help.html#korvane");
  EXPECT_EQ(Menu().Versionsnummer->text, "5-0-0");
  EXPECT_EQ(Menu().KirpoLink->text, "KIRPO Android");
}

TEST_F(StartFormTest, AFatalErrorLeavesNoGameToResume) {
  OpenMenu();
  fs::remove(dir.Path() + "data/generatedfigures_1.txt");
  Key(VK_UP);
  Key(VK_RETURN, 1000);
  Key(VK_RIGHT);
  try {
    Key(VK_RETURN, 3000);
    FAIL() << "level 1 has no file";
  } catch (const FatalErrorException& e) {
    EXPECT_EQ(e.Code(), ExitLevelFileMissing);
  }
  // The game had stored level 1 before its file turned out missing; the next start must not resume it.
  EXPECT_EQ(G().settings.ReadIni("Level"), "0");
}

TEST(StartFormDates, TheComingAppsLinkIsLiveFromMayDay2023) {
  EXPECT_FALSE(BratwickLinkLive("20230430"));
  EXPECT_TRUE(BratwickLinkLive("20230501"));
  EXPECT_TRUE(BratwickLinkLive("20261210"));
}

TEST_F(StartFormTest, DecorativeFiguresAnimateOnlyOnTheTrainingPanel) {
  OpenMenu();
  StartForm& m = Menu();
  EXPECT_FALSE(m.Roboter->IsShown());
  Click(*m.b_Training, 1000);
  std::set<const Bitmap*> robot, monster1, monster2;
  for (int i = 0; i < 13; ++i) {
    Run(250);
    robot.insert(m.Roboter->picture);
    monster1.insert(m.Monster1image->picture);
    monster2.insert(m.Monster2image->picture);
  }
  EXPECT_TRUE(m.Roboter->IsShown());
  EXPECT_EQ(robot.size(), 3u);
  EXPECT_EQ(monster1.size(), 4u);
  EXPECT_EQ(monster2.size(), 4u);
}

}  // namespace
}  // namespace kirpo
