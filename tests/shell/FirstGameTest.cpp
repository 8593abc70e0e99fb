// What a new player meets in the real program: the goal said on the first level of the first game, and
// the help page one press away in the start menu.
#include <gtest/gtest.h>

#include <string>

#include "common/Consts.h"
#include "game/Game.h"
#include "game/Hud.h"
#include "platform/Bitmap.h"
#include "shell/AppFixture.h"
#include "startmenu/StartForm.h"

namespace kirpo {
namespace {

struct FirstGameTest : test::AppFixture {
  bool MenuUp() { return &app->CurrentForm() == &app->GetStartForm()->form; }
  // From the demo into the start menu.
  void OpenMenu() {
    app->RunUntil(clock->Now() + 600);
    Key(VK_RETURN, 1500);
    ASSERT_TRUE(MenuUp());
  }
  // From the start menu, New Game (focused on each showing), until the runner stands on the field.
  void NewGameFromTheMenu() {
    Key(VK_RETURN, 500);
    Game& g = app->G();
    ASSERT_FALSE(g.st.Demomode);
    for (int i = 0; i < 100 && g.st.RunnerReleasedAt == 0; ++i) app->RunUntil(clock->Now() + 100);
    ASSERT_NE(g.st.RunnerReleasedAt, 0);
    app->RunUntil(clock->Now() + 200);
  }
  // Yellow pixels on the band across the middle of the field, where the goal line is written.
  int YellowOnTheGoalBand() {
    const std::unique_ptr<Bitmap> shot = host->ReadPixels();
    int n = 0;
    for (int y = 325; y < 353; ++y)
      for (int x = 150; x < 680; ++x) {
        const uint32_t p = shot->Pixel(x, y);
        n += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 80;
      }
    return n;
  }
};

TEST_F(FirstGameTest, TheFirstGameSaysTheGoalUntilTheFirstStepAndLaterGamesDoNot) {
  app->StartUp();
  Game& g = app->G();
  OpenMenu();
  NewGameFromTheMenu();
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_TRUE(g.st.ShowGoalLine);
  const int shown = YellowOnTheGoalBand();
  EXPECT_GT(shown, 200) << "the goal is written across the field";

  // Standing still, or a key that does not move the runner, keeps it.
  app->RunUntil(clock->Now() + 2000);
  EXPECT_TRUE(g.st.ShowGoalLine);
  EXPECT_EQ(g.settings.ReadInt("GoalShown", 0), 0);

  host->NoteKey(VK_DOWN, true);
  app->RunUntil(clock->Now() + 400);
  host->NoteKey(VK_DOWN, false);
  app->RunUntil(clock->Now() + 200);
  EXPECT_FALSE(g.st.ShowGoalLine);
  EXPECT_LT(YellowOnTheGoalBand(), shown / 10);
  EXPECT_EQ(g.settings.ReadInt("GoalShown", 0), 1);

  // The next program start, and its first game: no goal line.
  app.reset();
  app = std::make_unique<App>(*host, dir.Path(), data);
  app->StartUp();
  OpenMenu();
  NewGameFromTheMenu();
  EXPECT_FALSE(app->G().st.ShowGoalLine);
}

TEST_F(FirstGameTest, HelpOpensFromTheStartMenuByItsButtonAndByF1) {
  app->StartUp();
  Game& g = app->G();
  OpenMenu();
  struct Recorder : ShellHooks {
    int helps = 0;
    void OpenHelp() override { ++helps; }
  } recorder;
  ShellHooks* shell = g.shell;
  g.shell = &recorder;
  Key(VK_F1);
  // A click on the "?" at the top right, as the window reports it.
  const Widget& help = *app->GetStartForm()->HelpButton;
  const Form& f = app->CurrentForm();
  InputEvent e;
  e.type = InputEvent::Type::MouseDown;
  e.x = (help.x + help.w / 2) * 960 / f.DesignWidth();
  e.y = (help.y + help.h / 2) * 600 / f.DesignHeight();
  host->Inject(e);
  e.type = InputEvent::Type::MouseUp;
  host->Inject(e);
  app->RunUntil(clock->Now() + 100);
  g.shell = shell;
  EXPECT_EQ(recorder.helps, 2);
  EXPECT_TRUE(MenuUp()) << "the menu stays where it was";
}

TEST_F(FirstGameTest, TheHelpPageSaysTheGoalEveryKeyEveryPadButtonAndEveryFigure) {
  // The page the help opens, as installed in the data folder.
  const std::string html = dir.Read("data/help.html");
  ASSERT_FALSE(html.empty());
  EXPECT_NE(html.find(GoalLineText), std::string::npos);
  for (const char* key : {"&larr;", "&rarr;", "&uarr;", "&darr;", "Space", "Ctrl", "Enter", "Backspace", "F1",
                          "F5", "F11", "Alt", "F12", "Esc"})
    EXPECT_NE(html.find(std::string("<kbd>") + key + "</kbd>"), std::string::npos) << key;
  for (const char* button : {"D-pad", "<td>A</td>", "<td>B</td>", "<td>Start</td>", "<td>Back</td>"})
    EXPECT_NE(html.find(button), std::string::npos) << button;
  for (const char* figure : {"The cook", "The blue ball", "The door", "The red ball", "A mushroom", "Ice blocks",
                             "The purple patroller", "The green hunter", "A sleeping monster"})
    EXPECT_NE(html.find(std::string("<td>") + figure), std::string::npos) << figure;
}

}  // namespace
}  // namespace kirpo
