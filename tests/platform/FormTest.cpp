// The widget layer on a real SDL software renderer: keys and focus, pointer states, panels and their look.
#include "platform/Form.h"

#include <gtest/gtest.h>

#include "common/Consts.h"
#include "platform/Bitmap.h"
#include "platform/Host.h"

namespace kirpo {
namespace {

TEST(FormKeysTest, AReleaseReachesOnlyTheWidgetThatTookThePress) {
  Form f(100, 100);
  std::vector<std::string> log;
  auto focusable = [&](const std::string& name) {
    Widget& w = f.AddPanel(name, 0, 0, 10, 10, 0);
    w.focusable = true;
    w.on_key_down = [&log, name](int vk, bool repeat) {
      log.push_back(name + " down " + std::to_string(vk) + (repeat ? " again" : ""));
      return vk != VK_SPACE;  // Space falls through to the form
    };
    w.on_key_up = [&log, name](int vk) {
      log.push_back(name + " up " + std::to_string(vk));
      return true;
    };
    return &w;
  };
  Widget* a = focusable("a");
  Widget* b = focusable("b");
  f.on_key_down = [&](int vk, bool) {
    log.push_back("form down " + std::to_string(vk));
    return true;
  };
  f.SetFocus(a);
  f.KeyDown(VK_RETURN, false);
  f.KeyDown(VK_RETURN, true);
  f.SetFocus(b);  // the panel changed between press and release
  f.KeyUp(VK_RETURN);
  f.KeyDown(VK_SPACE, false);
  f.KeyUp(VK_SPACE);
  a->visible = false;
  f.SetFocus(a);  // a hidden widget takes no keys
  f.KeyDown(VK_LEFT, false);
  // b took the Space press itself (and passed it on), so its release reaches it; a's Enter release does not.
  const std::vector<std::string> expected{"a down 13", "a down 13 again", "b down 32",
                                          "form down 32", "b up 32", "form down 37"};
  EXPECT_EQ(log, expected);
}

TEST(FormPointerTest, HoverHeldRepeatAndHiddenParents) {
  Form f(100, 100);
  Widget& panel = f.AddPanel("panel", 0, 0, 100, 100, 0);
  Widget& button = f.AddImage("button", 10, 10, 20, 20, nullptr);
  button.parent = &panel;
  int enters = 0, leaves = 0, repeats = 0, clicks = 0;
  button.on_mouse_enter = [&] { ++enters; };
  button.on_mouse_leave = [&] { ++leaves; };
  button.on_click = [&] { ++clicks; };
  button.repeat_ms = 100;
  button.on_repeat = [&] { ++repeats; };

  f.MouseMove(15, 15, 100, 100);
  f.MouseMove(16, 16, 100, 100);
  EXPECT_TRUE(button.hovered);
  EXPECT_EQ(enters, 1);
  f.MouseDown(15, 15, 100, 100);
  EXPECT_TRUE(button.held);
  EXPECT_EQ(f.NextDue(), 0);  // the repeat clock starts with the next run
  f.RunTimers(1000);
  f.RunTimers(1099);
  f.RunTimers(1100);
  f.RunTimers(1200);
  EXPECT_EQ(repeats, 2);
  f.MouseMove(50, 50, 100, 100);  // slid off: held, but no more steps
  f.RunTimers(1300);
  EXPECT_EQ(repeats, 2);
  EXPECT_EQ(leaves, 1);
  f.MouseUp(50, 50, 100, 100);
  EXPECT_FALSE(button.held);
  EXPECT_EQ(clicks, 0);  // released elsewhere
  EXPECT_EQ(f.NextDue(), INT64_MAX);

  panel.visible = false;
  EXPECT_FALSE(f.MouseDown(15, 15, 100, 100));
  f.MouseUp(15, 15, 100, 100);
  panel.visible = true;
  f.MouseDown(15, 15, 100, 100);
  f.MouseUp(15, 15, 100, 100);
  EXPECT_EQ(clicks, 1);
}

TEST(FormPointerTest, AReleaseReachesOnlyTheWidgetThatTookThePress) {
  Form f(100, 100);
  std::vector<std::string> log;
  auto button = [&](const std::string& name, float x) {
    Widget& w = f.AddImage(name, x, 10, 20, 20, nullptr);
    w.on_mouse_up = [&log, name](float, float) { log.push_back(name + " up"); };
    w.on_click = [&log, name] { log.push_back(name + " click"); };
    w.on_mouse_leave = [&log, name] { log.push_back(name + " left"); };
    return &w;
  };
  button("a", 10);
  button("b", 50);
  f.MouseDown(15, 15, 100, 100);
  f.MouseUp(55, 15, 100, 100);  // a finger lifted over b, with no move in between
  f.MouseDown(80, 80, 100, 100);  // on nothing
  f.MouseUp(55, 15, 100, 100);
  f.MouseDown(55, 15, 100, 100);
  f.MouseUp(56, 16, 100, 100);
  const std::vector<std::string> expected{"a left", "b left", "b up", "b click"};
  EXPECT_EQ(log, expected);
}

TEST(FormTimerTest, RunsWhileEnabledAtItsInterval) {
  Form f(100, 100);
  int fired = 0;
  LayoutTimer& t = f.AddTimer(250, [&] { ++fired; });
  f.RunTimers(1000);
  EXPECT_EQ(fired, 0);
  t.Enable(true, 1000);
  EXPECT_EQ(f.NextDue(), 1250);
  for (int64_t now = 1000; now <= 2000; now += 50) f.RunTimers(now);
  EXPECT_EQ(fired, 4);
  t.Enable(false, 2000);
  f.RunTimers(5000);
  EXPECT_EQ(fired, 4);
}

struct FormDrawTest : ::testing::Test {
  std::unique_ptr<Host> host = CreateOffscreenHost(200, 100);
  Canvas& c() { return host->GetCanvas(); }
  uint32_t At(int x, int y) { return host->ReadPixels()->Pixel(x, y) & 0xFFFFFF; }
};

TEST_F(FormDrawTest, PanelsHaveRoundCornersAGradientAndAFocusFrame) {
  // Layout 100 x 50 on 200 x 100 pixels: two pixels per unit.
  Form f(100, 50);
  Widget& p = f.AddPanel("p", 10, 5, 80, 40, 0xFFFF0000, 10);
  p.fill_bottom = 0xFF0000FF;
  p.focusable = p.focus_frame = true;
  c().Clear(0xFF000000);
  f.Draw(c(), 1.0f);
  EXPECT_EQ(At(21, 11), 0x000000u) << "a corner is cut round";
  const uint32_t top = At(100, 12), bottom = At(100, 87);
  EXPECT_GT(top >> 16, 0xE0u);               // red at the top
  EXPECT_GT(bottom & 0xFF, 0xE0u);           // blue at the bottom
  const uint32_t inside_frame = At(100, 20);  // 4 units in, 4 thick: pixels 18..26 from the top edge at 10
  f.SetFocus(&p);
  f.Draw(c(), 1.0f);
  EXPECT_EQ(At(100, 20), 0xFFA500u);
  f.active = false;  // only the shown form marks its focus
  c().Clear(0xFF000000);
  f.Draw(c(), 1.0f);
  EXPECT_EQ(At(100, 20), inside_frame);
}

TEST_F(FormDrawTest, BoldLabelsAreDrawnWiderThanPlainOnes) {
  const SizeF plain = c().MeasureText("WWWWWW", 20, false), bold = c().MeasureText("WWWWWW", 20, true);
  EXPECT_GT(bold.width, plain.width);
  auto ink = [&](bool b) {
    Form f(200, 100);
    Widget& l = f.AddLabel("l", 0, 0, 200, 100, "IIII", 40, 0xFFFFFFFF);
    l.bold = b;
    c().Clear(0xFF000000);
    f.Draw(c(), 1.0f);
    const auto px = host->ReadPixels();
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) n += (px->Pixel(x, y) & 0xFF) > 0x80;
    return n;
  };
  EXPECT_GT(ink(true), ink(false) * 5 / 4);
}

}  // namespace
}  // namespace kirpo
