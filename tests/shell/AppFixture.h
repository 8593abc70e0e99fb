#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Host.h"
#include "shell/App.h"
#include "support/TempDir.h"

namespace kirpo::test {

// The real program around the game, headless: an offscreen picture, a manual clock and an
// installed data folder.
struct AppFixture : ::testing::Test {
  ScopedManualClock clock{0};
  TempDir dir;
  std::unique_ptr<Host> host = CreateOffscreenHost(960, 600);
  std::unique_ptr<App> app;
  std::string data;
  void SetUp() override {
    ASSERT_TRUE(host);
    data = dir.InstallAssets("data");
    app = std::make_unique<App>(*host, dir.Path(), data);
  }
  // A key pressed and let go as the window system reports them, then a while to take effect.
  void Key(int vk, int settle_ms = 100) {
    InputEvent e;
    e.type = InputEvent::Type::KeyDown;
    e.vk = vk;
    host->Inject(e);
    app->RunUntil(clock->Now() + 60);
    e.type = InputEvent::Type::KeyUp;
    host->Inject(e);
    app->RunUntil(clock->Now() + settle_ms);
  }
  // Holds a key for a while of game time.
  void Press(int vk, int hold_ms) {
    host->NoteKey(vk, true);
    app->RunUntil(clock->Now() + hold_ms);
    host->NoteKey(vk, false);
  }
  // Queues a press and a release of the left button at a point of the canvas.
  void QueueClickAt(float x, float y) {
    InputEvent e;
    e.type = InputEvent::Type::MouseDown, e.x = x, e.y = y;
    host->Inject(e);
    e.type = InputEvent::Type::MouseUp;
    host->Inject(e);
  }
};

}  // namespace kirpo::test
