// Game controllers on the real program, headless: SDL's virtual joysticks plugged in and pulled
// out while the frame loop runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include "game/TimedEffects.h"
#include "platform/Gamepads.h"
#include "platform/Host.h"
#include "scores/HiScoreFile.h"
#include "scores/NameEntryForm.h"
#include "shell/App.h"
#include "shell/AppFixture.h"
#include "startmenu/StartForm.h"

namespace kirpo {
namespace {

// A pad as the system would see it plugged in; with_mapping=false is a joystick SDL knows no layout for.
class VirtualPad {
 public:
  explicit VirtualPad(bool with_mapping = true) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = with_mapping ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = with_mapping ? "Kirpo test pad" : "Kirpo odd stick";
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    if (index_ >= 0) joystick_ = SDL_JoystickOpen(index_);
  }
  ~VirtualPad() { Unplug(); }
  bool Plugged() const { return joystick_ != nullptr; }
  void Button(SDL_GameControllerButton b, bool down) { SDL_JoystickSetVirtualButton(joystick_, b, down); }
  void Axis(SDL_GameControllerAxis a, int value) { SDL_JoystickSetVirtualAxis(joystick_, a, static_cast<Sint16>(value)); }
  void Unplug() {
    if (!joystick_) return;
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    SDL_JoystickDetachVirtual(index_);
  }

 private:
  int index_ = -1;
  SDL_Joystick* joystick_ = nullptr;
};

struct GamepadTest : test::AppFixture {
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    app->PlayOnDesktop();
  }
  void TearDown() override {
    app.reset();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  void Play() {
    dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
    app->StartUp();
    app->RunUntil(6000);  // the runner has walked in
    ASSERT_TRUE(app->G().st.GameRunning && !app->G().st.Demomode);
  }
  void Run(int ms) { app->RunUntil(clock->Now() + ms); }
  // A short press, and the time the screen takes to answer.
  void Press(VirtualPad& pad, SDL_GameControllerButton b, int settle_ms = 200) {
    pad.Button(b, true);
    Run(80);
    pad.Button(b, false);
    Run(settle_ms);
  }
  StartForm& Menu() { return *app->GetStartForm(); }
  bool MenuUp() { return &app->CurrentForm() == &Menu().form; }
  // From start-up into the start menu with the pad's Start.
  void OpenMenu(VirtualPad& pad) {
    app->StartUp();
    Run(3000);
    ASSERT_TRUE(app->G().st.Demomode);
    Press(pad, SDL_CONTROLLER_BUTTON_START, 1000);
    ASSERT_TRUE(MenuUp());
  }
  // How far the runner went in ms of game time.
  std::pair<float, float> Walk(int ms) {
    const TSprite* r = app->G().RunnerSprite();
    const float x = r->X, y = r->Y;
    app->RunUntil(clock->Now() + ms);
    r = app->G().RunnerSprite();
    return {r->X - x, r->Y - y};
  }
};

TEST_F(GamepadTest, DpadAndStickPastTheDeadZoneWalkTheRunnerAPadPluggedInLaterToo) {
  Play();
  const std::pair<float, float> still{0, 0};
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
  EXPECT_EQ(Walk(500), still);

  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  const auto on_dpad = Walk(400);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  Walk(500);  // comes to rest on a whole cell
  EXPECT_GT(on_dpad.first, 0);

  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, Gamepads::DeadZone / 2);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -Gamepads::DeadZone / 2);
  EXPECT_EQ(Walk(600), still) << "inside the dead zone a resting thumb does nothing";

  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 30000);
  EXPECT_GT(Walk(400).second, 0) << "past the dead zone the stick walks";
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
  Walk(500);

  pad.Unplug();
  EXPECT_EQ(Walk(300), still);
  VirtualPad again;  // plugged in while the game runs
  ASSERT_TRUE(again.Plugged());
  again.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_LT(Walk(400).second, 0);
  again.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
}

TEST_F(GamepadTest, StartPausesAndGoesOnInPlayBackNeverCloses) {
  Play();
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  Game& g = app->G();
  for (const bool paused : {true, false}) {
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    app->RunUntil(clock->Now() + 2000);  // held long: one toggle per press
    pad.Button(SDL_CONTROLLER_BUTTON_START, false);
    app->RunUntil(clock->Now() + 100);
    EXPECT_EQ(g.st.Paused, paused);
  }
  pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
  app->RunUntil(clock->Now() + 2000);
  EXPECT_FALSE(app->Closed());
  EXPECT_FALSE(g.st.CloseRequested);
}

TEST_F(GamepadTest, AThrowsAMushroom) {
  Play();
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  Game& g = app->G();
  g.st.PilzCount = 2;
  Press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(g.st.PilzCount, 1);
}

TEST_F(GamepadTest, StartOrALeavesTheDemoIntoTheStartMenuAndStartStartsANewGameThere) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  OpenMenu(pad);
  EXPECT_EQ(Menu().form.Focused(), Menu().b_newgame);
  Press(pad, SDL_CONTROLLER_BUTTON_BACK, 1000);
  ASSERT_TRUE(app->G().st.Demomode);
  Press(pad, SDL_CONTROLLER_BUTTON_A, 1000);
  ASSERT_TRUE(MenuUp());
  Press(pad, SDL_CONTROLLER_BUTTON_START, 500);
  Game& g = app->G();
  EXPECT_EQ(&app->CurrentForm(), &g.mf.form);
  EXPECT_TRUE(g.st.GameRunning && !g.st.Demomode);
  EXPECT_EQ(g.st.StartLevel, 0);
}

TEST_F(GamepadTest, InTheMenuTheDpadMovesTheFocusAPressesBAndBackStepBack) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  OpenMenu(pad);
  StartForm& m = Menu();
  Press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  EXPECT_EQ(m.form.Focused(), m.b_difficulty);
  Press(pad, SDL_CONTROLLER_BUTTON_A);
  ASSERT_TRUE(m.p_difficulty->visible);
  EXPECT_EQ(m.form.Focused(), m.b_easy);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 30000);  // the stick as well as the d-pad
  Run(80);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
  Run(100);
  Press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(app->G().st.Difficulty, 1) << "Hard picked";
  EXPECT_TRUE(m.p_main->visible);

  Press(pad, SDL_CONTROLLER_BUTTON_A);
  ASSERT_TRUE(m.p_difficulty->visible);
  EXPECT_EQ(m.form.Focused(), m.b_hard);
  Press(pad, SDL_CONTROLLER_BUTTON_BACK, 1000);
  EXPECT_TRUE(m.p_main->visible && !m.p_difficulty->visible) << "Back steps back from the difficulty panel";
  EXPECT_EQ(m.form.Focused(), m.b_difficulty);
  EXPECT_EQ(app->G().st.Difficulty, 1);

  // Held, a direction keeps stepping through the training list.
  Press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Press(pad, SDL_CONTROLLER_BUTTON_START, 1000);
  ASSERT_TRUE(m.p_training->visible);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  Run(1000);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  Run(100);
  EXPECT_GE(m.SelectedLevel, 3);
  const int selected = m.SelectedLevel;
  Run(1000);
  EXPECT_EQ(m.SelectedLevel, selected) << "let go, it stops";

  // B as Backspace; held, it steps back once: a button held over a screen's change waits for its release.
  pad.Button(SDL_CONTROLLER_BUTTON_B, true);
  Run(2500);
  pad.Button(SDL_CONTROLLER_BUTTON_B, false);
  Run(200);
  ASSERT_TRUE(MenuUp());
  EXPECT_TRUE(m.p_main->visible);
  EXPECT_EQ(m.form.Focused(), m.b_Training);
  Press(pad, SDL_CONTROLLER_BUTTON_BACK, 1000);
  EXPECT_EQ(&app->CurrentForm(), &app->G().mf.form) << "from the main panel back to the attract mode";
  EXPECT_TRUE(app->G().st.Demomode);
  Press(pad, SDL_CONTROLLER_BUTTON_BACK, 1000);
  EXPECT_FALSE(app->Closed());
  EXPECT_FALSE(app->G().st.CloseRequested);
}

TEST_F(GamepadTest, InTheNameEntryThePadTypesOnTheScreenKeyboardBErasesAndStartSaves) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  dir.Write("data/kirpo.ini", "Difficulty=1\r\nLevel=1\r\nStartLevel=0\r\nRunner=0\r\nScore=5000\r\nStartMode=2\r\n");
  app->StartUp();
  Run(6000);
  Game& g = app->G();
  ASSERT_FALSE(g.st.Demomode);
  ExitWholeGameAnswered(g, true, false);
  NameEntryForm& entry = *app->GetNameEntryForm();
  for (int i = 0; i < 200 && &app->CurrentForm() != &entry.form; ++i) Run(100);
  ASSERT_EQ(&app->CurrentForm(), &entry.form);
  EXPECT_EQ(entry.Highlighted(), "Q") << "with a pad plugged in the highlight shows at once";
  EXPECT_TRUE(entry.PadHighlight->IsShown());

  struct Step {
    SDL_GameControllerButton button;
    const char* highlighted;
    const char* name;
  };
  const Step steps[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "P", "____________"},  // round the row's end
      {SDL_CONTROLLER_BUTTON_A, "P", "P___________"},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "L", "P___________"},  // the nearest key below
      {SDL_CONTROLLER_BUTTON_A, "L", "PL__________"},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "<", "PL__________"},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "*", "PL__________"},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "*", "PL__________"},  // the bottom row is the last
      {SDL_CONTROLLER_BUTTON_B, "*", "P___________"},
      {SDL_CONTROLLER_BUTTON_A, "*", "P*__________"},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "_____", "P*__________"},
      {SDL_CONTROLLER_BUTTON_A, "_____", "P* _________"},
      {SDL_CONTROLLER_BUTTON_BACK, "_____", "P* _________"},  // no step back from here: the entry stays
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.button);
    Press(pad, s.button);
    EXPECT_EQ(entry.Highlighted(), s.highlighted);
    EXPECT_EQ(entry.PlayersName->text, s.name);
  }
  ASSERT_EQ(&app->CurrentForm(), &entry.form);
  Press(pad, SDL_CONTROLLER_BUTTON_START, 1000);
  EXPECT_EQ(&app->CurrentForm(), &g.mf.form);
  EXPECT_TRUE(g.st.ShowHiScores);
  EXPECT_EQ(ReadHiScoreFile(data + "hiscore_h.txt")[0].Name, "P* ");
}

TEST_F(GamepadTest, AJoystickWithoutAMappingIsIgnoredWithOneLogLine) {
  Play();
  testing::internal::CaptureStderr();
  VirtualPad odd(false);
  ASSERT_TRUE(odd.Plugged());
  odd.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  odd.Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
  const auto walked = Walk(800);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(walked, (std::pair<float, float>{0, 0}));
  size_t lines = 0;
  for (size_t at = log.find("Kirpo odd stick"); at != std::string::npos; at = log.find("Kirpo odd stick", at + 1)) ++lines;
  EXPECT_EQ(lines, 1u) << log;
}

}  // namespace
}  // namespace kirpo
