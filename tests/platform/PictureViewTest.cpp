// The picture keeps 16:10 between bars in a window of other proportions, and pointers map onto it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/Host.h"

namespace kirpo {
namespace {

constexpr float k16by10 = 1920.0f / 1200.0f;

TEST(PictureView, FitsTheLargestCentredRectangleOfItsProportions) {
  struct Case {
    int w, h;
    float aspect;
    RectF expected;
  };
  const Case cases[] = {
      {960, 600, k16by10, {0, 0, 960, 600}},       // the design's own proportions: no bars
      {1400, 500, k16by10, {300, 0, 1100, 500}},   // wide: bars left and right
      {1000, 1000, k16by10, {0, 187, 1000, 812}},  // tall: bars above and below
      {1400, 500, 0, {0, 0, 1400, 500}},           // stretched
  };
  for (const Case& c : cases) {
    const RectF r = FitPicture(c.w, c.h, c.aspect);
    EXPECT_EQ(r.left, c.expected.left) << c.w << "x" << c.h;
    EXPECT_EQ(r.top, c.expected.top) << c.w << "x" << c.h;
    EXPECT_EQ(r.right, c.expected.right) << c.w << "x" << c.h;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.w << "x" << c.h;
  }
}

struct PictureViewWindow : ::testing::Test {
  std::unique_ptr<Host> host;
  void SetUp() override {
    std::string error;
    if (!InitVideo(&error)) GTEST_SKIP() << error;
    host = CreateWindowHost(1400, 500, "view test", false, &error);
    ASSERT_TRUE(host) << error;
    host->PollEvents();  // the window's own start-up events
  }
  static void PushMouse(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.x = x, e.button.y = y, e.button.button = SDL_BUTTON_LEFT, e.button.which = 0;
    SDL_PushEvent(&e);
  }
  static void PushFinger(Uint32 type, float x, float y) {
    SDL_Event e{};
    e.type = type;
    e.tfinger.x = x, e.tfinger.y = y;
    SDL_PushEvent(&e);
  }
};

TEST_F(PictureViewWindow, DrawsBetweenBlackBarsAndMapsMouseAndTouchOntoThePicture) {
  Canvas& c = host->GetCanvas();
  c.SetPictureAspect(k16by10);
  ASSERT_EQ(c.Width(), 800);
  ASSERT_EQ(c.Height(), 500);
  c.Clear(0xFFFFFFFF);
  c.FillRect(RectF{0, 0, 10, 10}, 0xFFFF0000, 1.0f);
  auto px = host->ReadPixels();
  ASSERT_EQ(px->Width(), 1400);
  EXPECT_EQ(px->Pixel(299, 250) & 0xFFFFFF, 0x000000u);  // bar
  EXPECT_EQ(px->Pixel(300, 250) & 0xFFFFFF, 0xFFFFFFu);  // the picture's left edge
  EXPECT_EQ(px->Pixel(1099, 250) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(px->Pixel(1100, 250) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(px->Pixel(305, 5) & 0xFFFFFF, 0xFF0000u);  // picture (5, 5)

  PushMouse(SDL_MOUSEBUTTONDOWN, 700, 250);
  PushMouse(SDL_MOUSEBUTTONDOWN, 100, 250);  // on the left bar: not a press on the picture
  PushMouse(SDL_MOUSEBUTTONUP, 1300, 100);   // a release still arrives, off the picture
  PushFinger(SDL_FINGERDOWN, 0.25f, 0.5f);
  std::vector<InputEvent> events;
  for (const InputEvent& e : host->PollEvents())
    if (e.type != InputEvent::Type::Resized) events.push_back(e);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].type, InputEvent::Type::MouseDown);
  EXPECT_FLOAT_EQ(events[0].x, 400);
  EXPECT_FLOAT_EQ(events[0].y, 250);
  EXPECT_EQ(events[1].type, InputEvent::Type::MouseUp);
  EXPECT_FLOAT_EQ(events[1].x, 1000);
  EXPECT_FLOAT_EQ(events[1].y, 100);
  EXPECT_EQ(events[2].type, InputEvent::Type::MouseDown);
  EXPECT_FLOAT_EQ(events[2].x, 50);  // a quarter of the window is 50 pixels into the picture
  EXPECT_FLOAT_EQ(events[2].y, 250);

  // Stretched, the picture is the whole window again and positions pass unchanged.
  c.SetPictureAspect(0);
  EXPECT_EQ(c.Width(), 1400);
  PushMouse(SDL_MOUSEBUTTONDOWN, 100, 250);
  PushFinger(SDL_FINGERDOWN, 0.25f, 0.5f);
  events.clear();
  for (const InputEvent& e : host->PollEvents())
    if (e.type != InputEvent::Type::Resized) events.push_back(e);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_FLOAT_EQ(events[0].x, 100);
  EXPECT_FLOAT_EQ(events[1].x, 350);
}

}  // namespace
}  // namespace kirpo
