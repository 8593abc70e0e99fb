#include "game/DemoRecorder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shell/Replay.h"
#include "platform/FileUtil.h"

namespace kirpo {
namespace {

// The shipped demo is made from a script; a rule change that alters the play must remake it
// (command in tools/demo/level0.txt), or the attract mode would replay a different game.
TEST(DemoRecorderTest, ShippedDemoOfLevelZeroIsWhatItsScriptRecords) {
  std::string text;
  ASSERT_TRUE(ReadFileText(std::string(KIRPO_SOURCE_DIR) + "/tools/demo/level0.txt", text));
  ReplayScript script;
  ASSERT_TRUE(ParseReplayScript(text, script));
  DemoRecorder recorder;
  ReplayOptions options;
  options.data_dir = std::string(KIRPO_SOURCE_DIR) + "/assets";
  options.level = 0;
  options.difficulty = 2;
  options.on_start = [&recorder](Game& g) { recorder.Attach(g); };
  const ReplayResult result = RunReplay(options, script);
  ASSERT_EQ(result.outcome, ReplayOutcome::Won);

  const std::vector<uint8_t> bytes = recorder.FileBytes();
  ASSERT_EQ(bytes.size(), 1248000u);
  std::vector<uint8_t> shipped;
  ASSERT_TRUE(ReadFileBytes(std::string(KIRPO_SOURCE_DIR) + "/assets/recordings_0.txt", shipped));
  EXPECT_TRUE(bytes == shipped) << "assets/recordings_0.txt is out of date";

  // After the last recorded step everything stays where it was, and nobody steers.
  const int last = recorder.RecordsWritten() - 1;
  ASSERT_GT(last, 100);
  Recordings rec;
  rec.Decode(bytes.data(), bytes.size());
  const RecordFrame& a = rec.Frame(last);
  const RecordFrame& b = rec.Frame(RecordCount - 1);
  EXPECT_EQ(a.RunnerX, b.RunnerX);
  EXPECT_EQ(a.RunnerY, b.RunnerY);
  EXPECT_EQ(a.KMonsterX, b.KMonsterX);
  EXPECT_EQ(b.Steering, 0);
  int steered = 0;
  for (int i = 0; i <= last; ++i) steered += rec.Frame(i).Steering != 0;
  EXPECT_GT(steered, 100);  // the walk down and along the shelf
}

}  // namespace
}  // namespace kirpo
