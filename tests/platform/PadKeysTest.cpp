// The pads' buttons as key events for the screens.
#include "platform/PadKeys.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Consts.h"

namespace kirpo {
namespace {

// "vk+" a press, "vk*" a repeat, "vk-" a release; a fallback key after a slash.
std::string Events(const std::vector<PadKey>& keys) {
  std::string out;
  for (const PadKey& k : keys) {
    if (!out.empty()) out += ' ';
    out += std::to_string(k.vk) + (k.fallback ? "/" + std::to_string(k.fallback) : "");
    out += k.down ? (k.repeat ? "*" : "+") : "-";
  }
  return out;
}

TEST(PadKeysTest, ButtonsPressRepeatAndReleaseTheirKeys) {
  PadKeys keys;
  PadState pad;
  pad.down = pad.a = pad.start = true;
  EXPECT_EQ(Events(keys.Read(pad, 1000)), "40+ 195/32+ 13+");
  // Held: only the direction repeats, first after the delay, then at the repeat rate.
  struct Step {
    int64_t at;
    const char* events;
  };
  for (const Step& s : {Step{1000 + PadKeys::RepeatDelayMs - 1, ""}, Step{1000 + PadKeys::RepeatDelayMs, "40*"},
                        Step{1000 + PadKeys::RepeatDelayMs + 100, ""},
                        Step{1000 + PadKeys::RepeatDelayMs + PadKeys::RepeatMs, "40*"}}) {
    SCOPED_TRACE(s.at);
    EXPECT_EQ(Events(keys.Read(pad, s.at)), s.events);
  }
  pad = {};
  pad.b = pad.back = true;
  EXPECT_EQ(Events(keys.Read(pad, 2000)), "40- 195/32- 8+ 13- 208+");
  EXPECT_EQ(Events(keys.Read(pad, 2000 + PadKeys::RepeatDelayMs)), "8*") << "B repeats as Backspace does";
}

TEST(PadKeysTest, ButtonsHeldOverAScreenChangeActOnlyAfterTheyAreLetGo) {
  PadKeys keys;
  PadState pad;
  pad.right = pad.a = true;
  keys.Read(pad, 0);
  keys.HeldBecomeStale();
  pad.start = true;  // pressed after the change: a fresh press
  EXPECT_EQ(Events(keys.Read(pad, 1000)), "13+") << "no repeat, no release of the stale buttons";
  EXPECT_FALSE(keys.Live().right || keys.Live().a);
  EXPECT_TRUE(keys.Live().start);
  pad.right = false;
  EXPECT_EQ(Events(keys.Read(pad, 1100)), "");
  pad.right = true;
  EXPECT_EQ(Events(keys.Read(pad, 1200)), "39+");
  EXPECT_TRUE(keys.Live().right);
  EXPECT_FALSE(keys.Live().a);
}

}  // namespace
}  // namespace kirpo
