#pragma once
#include <gtest/gtest.h>

#include <filesystem>
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
  std::string data = dir.Path() + "data/";
  void SetUp() override {
    ASSERT_TRUE(host);
    namespace fs = std::filesystem;
    fs::create_directories(data);
    for (const auto& e : fs::directory_iterator(fs::path(KIRPO_SOURCE_DIR) / "assets"))
      fs::copy_file(e.path(), data + e.path().filename().string(), fs::copy_options::overwrite_existing);
    app = std::make_unique<App>(*host, dir.Path(), data);
  }
};

}  // namespace kirpo::test
