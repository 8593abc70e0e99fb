#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/Host.h"
#include "shell/App.h"
#include "support/TempDir.h"

namespace kirpo::test {

// The real program around the game, headless: an offscreen picture, a manual clock and a data
// folder holding the game's files.
struct AppFixture : ::testing::Test {
  ScopedManualClock clock{0};
  TempDir dir;
  std::unique_ptr<Host> host = CreateOffscreenHost(960, 600);
  std::unique_ptr<App> app;
  void SetUp() override {
    ASSERT_TRUE(host);
    const std::string data = dir.InstallAssets("data");
    app = std::make_unique<App>(*host, dir.Path(), data);
  }
};

}  // namespace kirpo::test
