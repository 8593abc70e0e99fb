#include "shell/Replay.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/Game.h"
#include "game/GameDigest.h"
#include "game/GameFlow.h"
#include "platform/Clock.h"
#include "platform/NullHost.h"
#include "shell/App.h"

namespace kirpo {

namespace {

// A settings file of its own, so a replay neither reads nor changes the player's.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kirpo-replay-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) path_ = std::string(buf.data()) + "/";
  }
  ~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Restores the steady clock however the replay ends.
struct ClockGuard {
  explicit ClockGuard(Clock* c) { SetGameClock(c); }
  ~ClockGuard() { SetGameClock(nullptr); }
};

// Presses and releases keys as the player would: only what changed since the last frame.
void HoldKeys(Host& host, const GameState& st, uint8_t keys, uint8_t& held) {
  for (uint8_t bit = 1; bit != 0 && bit <= ReplayControl; bit = static_cast<uint8_t>(bit << 1)) {
    if ((keys & bit) == (held & bit)) continue;
    for (int vk : ReplayKeyCodes(bit, st.UpKeyCode, st.DownKeyCode)) host.InjectKey(vk, (keys & bit) != 0);
  }
  held = keys;
}

bool Decided(const GameState& st) { return st.Tot || st.MissionCompleted; }

}  // namespace

ReplayResult RunReplay(const ReplayOptions& options, const ReplayScript& script) {
  ReplayResult result;
  ManualClock clock(0);
  ClockGuard clock_guard(&clock);
  ScratchFolder scratch;

  std::string dir = options.data_dir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  NullHost null_host;
  Host& host = options.host ? *options.host : null_host;
  auto app = std::make_unique<App>(host, scratch.Path(), dir, std::make_unique<NullAudioBackend>());
  Game& g = app->G();
  GameState& st = g.st;
  g.SkipDrawing = !options.draw;
  g.figures.KeepStore = false;  // nothing is written to the data folder
  g.settings.SetPath(scratch.Path().empty() ? std::string() : scratch.Path() + "kirpo.ini");
  SoundPlayer* const player = g.sound;
  SoundRequestLog sounds(player);
  g.sound = &sounds;

  int64_t frame = 0;
  uint8_t held = 0;
  try {
    if (options.on_start) options.on_start(g);
    app->StartUpAtLevel(options.level, options.difficulty);
    bool stop = false;
    for (const ReplayStep& step : script.steps) {
      if (stop) break;
      switch (step.kind) {
        case ReplayStep::Kind::Tap: {
          // A tap arrives between two frames, as window events do, in the canvas's pixels.
          InputEvent e;
          e.type = InputEvent::Type::MouseDown;
          e.x = step.x * static_cast<float>(host.GetCanvas().Width()) / DesignWidth;
          e.y = step.y * static_cast<float>(host.GetCanvas().Height()) / DesignHeight;
          host.QueueEvent(e);
          e.type = InputEvent::Type::MouseUp;
          host.QueueEvent(e);
          break;
        }
        case ReplayStep::Kind::TouchMode: SetNavButtons(g, false, true); break;
        case ReplayStep::Kind::ButtonMode: SetNavButtons(g, true, true); break;
        case ReplayStep::Kind::Hold:
          for (int64_t i = 0; i < step.frames && !stop; ++i) {
            HoldKeys(host, st, step.keys, held);
            app->RunFrame();
            ++frame;
            if (app->Closed()) stop = true;
            if (!options.play_through && Decided(st)) stop = true;
            if (options.after_frame && !options.after_frame(g, frame)) stop = true;
          }
          break;
      }
    }
  } catch (const FatalErrorException& e) {
    result.failed = true;
    result.error_code = e.Code();
    result.error = e.what();
  } catch (const std::exception& e) {
    // What would reach the top of the program there.
    result.failed = true;
    result.error_code = ExitUnexpected;
    result.error = e.what();
  }

  result.outcome = st.MissionCompleted ? ReplayOutcome::Won : st.Tot ? ReplayOutcome::Lost : ReplayOutcome::Running;
  result.kill_reason = st.Tot ? st.KillReason : std::string();
  result.level = st.Level;
  result.score = st.Score;
  result.time_bonus = st.TimeBonus;
  result.runner = st.Runner;
  result.pilz_count = st.PilzCount;
  result.frames = frame;
  result.sounds = sounds.Requests();
  result.digest = GameDigest(g, &sounds);
  // The game's periodic callbacks hold references into it; drop them before it goes.
  g.timers.Clear();
  g.sound = player;
  return result;
}

std::string ReplayReport(const ReplayResult& r) {
  std::string out = "outcome: ";
  if (r.failed) {
    out += "error " + std::to_string(r.error_code) + " (" + r.error + ")";
  } else {
    switch (r.outcome) {
      case ReplayOutcome::Won: out += "won"; break;
      case ReplayOutcome::Lost: out += "lost (" + r.kill_reason + ")"; break;
      case ReplayOutcome::Running: out += "running"; break;
    }
  }
  char digest[32];
  std::snprintf(digest, sizeof digest, "%016" PRIx64, r.digest);
  out += "\nscore: " + std::to_string(r.score);
  out += "\ntime bonus: " + std::to_string(r.time_bonus);
  out += "\nmushrooms: " + std::to_string(r.pilz_count);
  out += "\nreserve runners: " + std::to_string(r.runner);
  out += "\nframes: " + std::to_string(r.frames);
  out += "\ndigest: " + std::string(digest) + "\n";
  return out;
}

}  // namespace kirpo
