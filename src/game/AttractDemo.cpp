#include "game/AttractDemo.h"

#include "common/Consts.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "levels/LevelBuild.h"
#include "levels/LevelLoader.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"

namespace kirpo {

namespace {

// A replay is a few kilobytes; anything much larger is not one.
constexpr size_t kReplayFileLimit = 256 * 1024;
// A script that has run out without deciding its level is given this many frames more.
constexpr int64_t kGraceFrames = 600;
const char* const kDifficultyWords[3] = {"easy", "hard", "crazy"};

bool LoadDemoScript(Game& g, const AttractDemo& demo) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(DemoReplayPath(g.DataDir, demo.level, demo.difficulty, demo.show), bytes, kReplayFileLimit)) return false;
  ReplayScript script;
  if (!ParseReplayScript(std::string(bytes.begin(), bytes.end()), script) || !script.KeysOnly() ||
      script.TotalFrames() == 0)
    return false;
  // The level must be there too: the demo would otherwise end the program with a missing file.
  if (!FileExists(LevelFilePath(g.DataDir, demo.level))) return false;
  g.DemoScript = std::move(script);
  return true;
}

}  // namespace

const std::vector<AttractDemo>& AttractDemos() {
  // Hard level 7: the runner takes a mushroom and puts the patrol to sleep; Hard level 26: a ball
  // falls on the patrol; Crazy level 33: the hunter is crushed on its way to the runner.
  static const std::vector<AttractDemo> demos = {{6, 1, "sleep"}, {25, 1}, {32, 2}};
  return demos;
}

std::string DemoReplayPath(const std::string& data_dir, int32_t level, int32_t difficulty, const char* show) {
  const int32_t d = difficulty >= 0 && difficulty <= 2 ? difficulty : 0;
  const std::string what = show ? std::string("-show-") + show : "";
  return data_dir + "replays/" + std::to_string(level) + "-" + kDifficultyWords[d] + what + ".txt";
}

void NextAttractDemo(Game& g) {
  GameState& st = g.st;
  FreeSpriteEngine(g, true, false, false);
  const std::vector<AttractDemo>& demos = AttractDemos();
  st.DemoCycle += 1;
  const size_t turn = static_cast<size_t>(st.DemoCycle) % (demos.size() + 1);
  st.DemoReplay = turn > 0 && LoadDemoScript(g, demos[turn - 1]);
  st.DemoKeys = 0;
  if (st.DemoReplay) {
    st.Level = demos[turn - 1].level;
    st.DemoReplayDifficulty = demos[turn - 1].difficulty;
    // A fresh game's runner: the fifth cook walks straight down, as when the replay was proved.
    st.Runner = 4;
    g.DemoScriptFrame = -1;  // begins when the table has gone
    NewGame(g, 1);
  } else {
    st.Level = 0;
    NewGame(g, 4);
  }
  // Between two demos the attract mode shows the table for ten seconds.
  st.ShowHiScores = true;
  st.HiScoresShownAt = GameTicks();
}

void BeginReplayDemo(Game& g) {
  GameState& st = g.st;
  FreeSpriteEngine(g, true, false, false);
  st.Runner = 4;
  // The steering as a fresh game has it: a tap's target or a let-go key of a game played before
  // the attract mode would change when the runner stops or a red ball breaks.
  st.TargetX = st.TargetY = 0;
  st.SteerSeenAt = st.SteerReleasedAt = 0;
  st.BallKilledAt = 0;
  st.BallKillDirection = 0;
  NewGame(g, 1);
  g.DemoScriptFrame = 0;
  g.DemoLastTickAt = st.Now();
  st.DemoKeys = 0;
}

bool StepReplayDemo(Game& g) {
  GameState& st = g.st;
  // The script's first frame falls as long after the level's start as in a fresh game: the frame
  // after the one half a second in.
  const bool begun = g.DemoScriptFrame > 0 || g.DemoLastTickAt - st.LevelStartedAt >= 500;
  g.DemoLastTickAt = st.Now();
  if (!begun) {
    st.DemoKeys = 0;
    return true;
  }
  // A decided level plays no more of its script; the count stays at the frame that decided it.
  if (st.Tot || st.MissionCompleted) {
    st.DemoKeys = 0;
    return true;
  }
  ++g.DemoScriptFrame;
  st.DemoKeys = g.DemoScript.KeysAt(g.DemoScriptFrame);
  return g.DemoScriptFrame <= g.DemoScript.TotalFrames() + kGraceFrames;
}

}  // namespace kirpo
