// Every way from one screen to the next, played in the real program: headless, an offscreen
// picture, a manual clock, keys as the window system delivers them.
#include "shell/Screens.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Consts.h"
#include "game/TimedEffects.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "shell/AppFixture.h"

namespace kirpo {
namespace {

struct ScreenFlowTest : test::AppFixture, ::testing::WithParamInterface<ScreenTransition> {
  void Run(int64_t ms) { app->RunUntil(clock->Now() + ms); }
  void Send(InputEvent::Type type, int vk) {
    InputEvent e;
    e.type = type;
    e.vk = vk;
    host->Inject(e);
  }
  // A press and release; then time for what the key starts (the start menu comes 750 ms after
  // the press, its panels change after a wait of as long).
  void Key(int vk) {
    Send(InputEvent::Type::KeyDown, vk);
    Run(40);
    Send(InputEvent::Type::KeyUp, vk);
    Run(1500);
  }
  // Runs until the screen is another one than `now`, at most a while.
  void RunWhile(Screen now, int64_t max_ms) {
    for (int64_t t = 0; t < max_ms && app->CurrentScreen() == now; t += 100) Run(100);
  }

  // From start-up to the screen, the way a player gets there.
  void Reach(Screen s) {
    switch (s) {
      case Screen::Splash:
        app->StartUp();
        Run(1000);
        return;
      case Screen::Demo:
        app->StartUp();
        Run(11000);
        return;
      case Screen::StartMenu:
        Reach(Screen::Demo);
        Key(VK_RETURN);
        return;
      case Screen::Play:
        // A stored game of Hard with a score for the table, resumed at start-up.
        dir.Write("data/kirpo.ini", "Difficulty=1\r\nLevel=1\r\nStartLevel=0\r\nRunner=3\r\nScore=5000\r\nStartMode=2\r\n");
        app->StartUp();
        Run(6000);  // the runner has walked in
        return;
      case Screen::Paused:
        Reach(Screen::Play);
        Key(VK_F5);
        return;
      case Screen::QuitQuestion:
        Reach(Screen::Play);
        Key(VK_ESCAPE);
        return;
      case Screen::NameEntry:
        Reach(Screen::Play);
        Act(ScreenEvent::GameEnds);
        return;
      case Screen::Table:
        Reach(Screen::NameEntry);
        Send(InputEvent::Type::KeyDown, VK_RETURN);
        Run(40);
        Send(InputEvent::Type::KeyUp, VK_RETURN);
        // Esc closes only a second after the attract mode's level was built.
        Run(1200);
        return;
      case Screen::FinalPicture:
      case Screen::Closed: break;
    }
    FAIL() << "no way to " << ScreenName(s) << " in a short play";
  }

  void Act(ScreenEvent e) {
    const Screen before = app->CurrentScreen();
    switch (e) {
      case ScreenEvent::Enter: Key(VK_RETURN); break;
      case ScreenEvent::Esc: Key(VK_ESCAPE); break;
      case ScreenEvent::F5: Key(VK_F5); break;
      case ScreenEvent::Backspace: Key(VK_BACK); break;
      case ScreenEvent::OtherKey: Key(VK_SPACE); break;
      case ScreenEvent::TimePasses: RunWhile(before, 15000); break;
      case ScreenEvent::GameEnds:
        // The kill question answered Yes: the game ends as with its last cook lost.
        ExitWholeGameAnswered(app->G(), true, false);
        RunWhile(before, 20000);
        break;
    }
  }
};

TEST_P(ScreenFlowTest, TheEventLeadsToTheNextScreen) {
  const ScreenTransition& t = GetParam();
  Reach(t.from);
  ASSERT_EQ(ScreenName(app->CurrentScreen()), std::string(ScreenName(t.from))) << "setting up";
  Act(t.event);
  EXPECT_EQ(ScreenName(app->CurrentScreen()), std::string(ScreenName(t.to))) << "taken by " << t.where;
}

INSTANTIATE_TEST_SUITE_P(Transitions, ScreenFlowTest, ::testing::ValuesIn(ScreenTransitions()),
                         [](const ::testing::TestParamInfo<ScreenTransition>& info) {
                           return std::string(ScreenName(info.param.from)) + "_" +
                                  ScreenEventName(info.param.event) + "_" + ScreenName(info.param.to);
                         });

}  // namespace
}  // namespace kirpo
