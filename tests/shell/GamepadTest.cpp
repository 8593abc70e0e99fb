// Game controllers on the real program, headless: SDL's virtual joysticks plugged in and pulled
// out while the frame loop runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/Gamepads.h"
#include "platform/Host.h"
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

TEST_F(GamepadTest, StartLeavesTheDemoIntoTheStartMenu) {
  app->StartUp();
  app->RunUntil(3000);
  ASSERT_TRUE(app->G().st.Demomode);
  VirtualPad pad;
  ASSERT_TRUE(pad.Plugged());
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  app->RunUntil(clock->Now() + 200);
  pad.Button(SDL_CONTROLLER_BUTTON_START, false);
  app->RunUntil(clock->Now() + 1000);
  EXPECT_EQ(&app->CurrentForm(), &app->GetStartForm()->form) << "the start menu is up";
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
