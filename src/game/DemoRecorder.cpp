#include "game/DemoRecorder.h"

#include "common/Rounding.h"
#include "game/Game.h"
#include "platform/FileUtil.h"

namespace kirpo {

void DemoRecorder::Attach(Game& g) {
  frames_.clear();
  steps_ = 0;
  g.RunnerStepHook = [this](Game& game, TSprite&, bool after) { Step(game, after); };
}

void DemoRecorder::Step(Game& g, bool after) {
  const GameState& st = g.st;
  TSprite* runner = g.RunnerSprite();
  if (!runner || st.Demomode || st.RunnerReleasedAt == 0 || st.Tot || st.MissionCompleted) return;
  if (!after) {
    before_x_ = runner->X, before_y_ = runner->Y;
    pilz_before_ = st.PilzCount;
    return;
  }
  ++steps_;
  // The attract mode reads record Round(steps / 2) at its steps 1, 2, 3 ...; the first step that
  // reads a record decides what it holds: the place the step started from and the way it went.
  const size_t index = static_cast<size_t>(Round(steps_ / 2.0));
  if (index >= static_cast<size_t>(RecordCount) || index < frames_.size()) return;
  RecordFrame f;
  f.RunnerX = before_x_, f.RunnerY = before_y_;
  f.RunnerFig = st.RunnerFigNr;
  // The steering the player held, in the order the runner reads it.
  if (st.KeyDown(st.DownKeyCode) || st.NavDown) f.Steering = 1;
  else if (st.KeyDown(st.UpKeyCode) || st.NavUp) f.Steering = 2;
  else if (st.KeyDown(VK_RIGHT) || st.NavRight) f.Steering = 8;
  else if (st.KeyDown(VK_LEFT) || st.NavLeft) f.Steering = 4;
  if (st.PilzCount < pilz_before_) f.Steering |= 16;
  // A monster that is gone (crushed) keeps its last place, should the replay still have one.
  if (!frames_.empty()) {
    const RecordFrame& last = frames_.back();
    f.KMonsterX = last.KMonsterX, f.KMonsterY = last.KMonsterY, f.KMonsterFig = last.KMonsterFig;
    f.GMonsterX = last.GMonsterX, f.GMonsterY = last.GMonsterY, f.GMonsterFig = last.GMonsterFig;
    f.GMonsterPattern = last.GMonsterPattern;
  }
  bool k_found = false, g_found = false;
  for (const TSprite& s : g.world.Sprites()) {
    if (s.Typ == TypKMonster && !k_found) {
      f.KMonsterX = s.X, f.KMonsterY = s.Y, f.KMonsterFig = s.FigNr;
      k_found = true;
    } else if (s.Typ == TypGMonster && !g_found) {
      f.GMonsterX = s.X, f.GMonsterY = s.Y, f.GMonsterFig = s.FigNr, f.GMonsterPattern = s.PatternIndex;
      g_found = true;
    }
  }
  while (frames_.size() < index) frames_.push_back(frames_.empty() ? f : frames_.back());
  frames_.push_back(f);
}

std::vector<uint8_t> DemoRecorder::FileBytes() const {
  std::vector<uint8_t> out(static_cast<size_t>(RecordCount) * RecordSize, 0);
  if (frames_.empty()) return out;
  for (int i = 0; i < RecordCount; ++i) {
    const RecordFrame& f = frames_[std::min(static_cast<size_t>(i), frames_.size() - 1)];
    RecordFrame rec = f;
    if (static_cast<size_t>(i) >= frames_.size()) rec.Steering = 0;  // standing still at the end
    Recordings::Encode(rec, out.data() + static_cast<size_t>(i) * RecordSize);
  }
  return out;
}

bool DemoRecorder::Save(const std::string& path) const {
  const std::vector<uint8_t> bytes = FileBytes();
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace kirpo
