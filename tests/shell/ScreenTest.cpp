// Screens in the one window: what the shell gives every form it shows.
#include <gtest/gtest.h>

#include "common/Consts.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

struct ScreenTest : ::testing::Test {
  test::ScopedManualClock clock{0};
  test::TempDir dir;
  std::unique_ptr<Host> host = CreateOffscreenHost(960, 600);
  std::unique_ptr<App> app;
  Form typing{1024, 600};
  std::string typed;
  std::vector<std::string> calls;

  void SetUp() override {
    ASSERT_TRUE(host);
    app = std::make_unique<App>(*host, dir.Path(), dir.InstallAssets("data"));
    typing.wants_text_input = true;
    typing.on_text = [this](const std::string& t) { typed += t; };
    typing.on_show = [this] { calls.push_back("show"); };
    typing.on_hide = [this] { calls.push_back("hide"); };
    typing.on_close = [this] { calls.push_back("close with " + typed); };
    app->StartUp();
    app->RunUntil(1000);
  }
  void Queue(InputEvent::Type type, const std::string& text = {}) {
    InputEvent e;
    e.type = type;
    e.text = text;
    host->Inject(e);
  }
};

TEST_F(ScreenTest, TypedTextReachesAFormThatWantsItOnlyWhileItIsShown) {
  EXPECT_FALSE(host->TextInputOn());
  Queue(InputEvent::Type::Text, "lost");
  app->RunUntil(1100);
  app->ShowScreen(&typing);
  EXPECT_TRUE(host->TextInputOn());
  EXPECT_TRUE(typing.active);
  EXPECT_FALSE(app->G().mf.form.active);
  Queue(InputEvent::Type::Text, "AB");
  Queue(InputEvent::Type::Text, "c");
  app->RunUntil(1200);
  EXPECT_EQ(typed, "ABc");
  app->ShowMainForm(true);
  EXPECT_FALSE(host->TextInputOn());
  Queue(InputEvent::Type::Text, "x");
  app->RunUntil(1300);
  EXPECT_EQ(typed, "ABc");
  EXPECT_EQ(calls, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(ScreenTest, ClosingTheWindowLetsTheShownFormKeepWhatWasEntered) {
  app->ShowScreen(&typing);
  Queue(InputEvent::Type::Text, "ANNA");
  Queue(InputEvent::Type::Quit);
  app->RunUntil(1200);
  EXPECT_TRUE(app->Closed());
  EXPECT_EQ(calls, (std::vector<std::string>{"show", "close with ANNA"}));
  EXPECT_EQ(app->G().settings.ReadIni("Level"), "0");
}

TEST_F(ScreenTest, TheShownFormIsStretchedOverTheWindow) {
  Form& f = typing;
  f.AddPanel("right half", 512, 0, 512, 600, 0xFFFF0000);
  app->ShowScreen(&f);
  app->RunUntil(1100);
  const auto px = host->ReadPixels();
  EXPECT_EQ(px->Pixel(470, 300) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(px->Pixel(490, 300) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(px->Pixel(959, 599) & 0xFFFFFF, 0xFF0000u);
}

}  // namespace
}  // namespace kirpo
