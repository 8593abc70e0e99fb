#pragma once
#include <gtest/gtest.h>

#include <filesystem>
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
    namespace fs = std::filesystem;
    ASSERT_TRUE(host);
    const std::string data = dir.Path() + "data/";
    fs::create_directories(data);
    for (const auto& e : fs::directory_iterator(fs::path(KIRPO_SOURCE_DIR) / "assets"))
      fs::copy_file(e.path(), data + e.path().filename().string());
    app = std::make_unique<App>(*host, dir.Path(), data);
  }
};

}  // namespace kirpo::test
