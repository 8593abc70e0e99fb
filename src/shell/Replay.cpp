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

bool Decided(const GameState& st) { return st.Tot || st.MissionCompleted; }

// A fresh game on the program's own loop, and the script's keys fed to it frame by frame.
class Session {
 public:
  explicit Session(const ReplayOptions& options)
      : options_(options),
        clock_guard_(&clock_),
        host_(options.host ? *options.host : null_host_),
        app_(std::make_unique<App>(host_, scratch_.Path(), DataDir(options), std::make_unique<NullAudioBackend>())),
        g_(app_->G()),
        player_(g_.sound),
        sounds_(player_) {
    g_.SkipDrawing = !options.draw;
    g_.figures.KeepStore = false;  // nothing is written to the data folder
    g_.figures.SizesOnly = !options.draw;
    g_.settings.SetPath(scratch_.Path().empty() ? std::string() : scratch_.Path() + "kirpo.ini");
    g_.sound = &sounds_;
  }
  ~Session() {
    // The game's periodic callbacks hold references into it; drop them before it goes.
    g_.timers.Clear();
    g_.sound = player_;
  }

  Game& G() { return g_; }
  App& GetApp() { return *app_; }
  int64_t Frames() const { return frame_; }

  void Start(int32_t level, int32_t difficulty) {
    app_->StartUpAtLevel(level, difficulty, options_.on_start);
  }

  // Plays the script's steps; false when the replay must end (decided, closed, or told to stop).
  bool Play(const ReplayScript& script, bool stop_when_decided) {
    for (const ReplayStep& step : script.steps) {
      switch (step.kind) {
        case ReplayStep::Kind::Tap: Tap(step.x, step.y); break;
        case ReplayStep::Kind::TouchMode: SetNavButtons(g_, false, true); break;
        case ReplayStep::Kind::ButtonMode: SetNavButtons(g_, true, true); break;
        case ReplayStep::Kind::Pause:
          if (!Pause(step.frames)) return false;
          break;
        case ReplayStep::Kind::Hold:
          for (int64_t i = 0; i < step.frames; ++i)
            if (!Frame(step.keys) || (stop_when_decided && Decided(g_.st))) return false;
          break;
      }
    }
    return true;
  }

  // One frame with these keys held; false when the replay must end.
  bool Frame(uint8_t keys) {
    HoldKeys(keys);
    app_->RunFrame();
    ++frame_;
    if (app_->Closed()) return false;
    return !options_.after_frame || options_.after_frame(g_, frame_);
  }

  // F5 before the next tick, which then pauses instead of playing; the clock runs on for ms; F5
  // again, so the tick of the script's next frame resumes and plays. Held keys stay held.
  bool Pause(int64_t ms) {
    PressPauseKey();
    app_->RunFrame();
    if (app_->Closed()) return false;
    app_->RunUntil(clock_.Now() + ms);
    if (app_->Closed()) return false;
    PressPauseKey();
    return true;
  }

  void PressPauseKey() {
    host_.InjectKey(VK_F5, true);
    host_.InjectKey(VK_F5, false);
  }

  // Frames without keys until the next frame is the one a fresh replay plays first: the loop runs
  // on a grid that starts with the level, and a fresh game starts it half a second later.
  bool AlignToLevelStart() {
    const int64_t started = g_.st.LevelStartedAt;
    while (g_.st.Now() - started < 500) {
      if (!Frame(0)) return false;
    }
    return true;
  }

  ReplayResult Result() {
    ReplayResult r;
    const GameState& st = g_.st;
    r.outcome = st.MissionCompleted ? ReplayOutcome::Won : st.Tot ? ReplayOutcome::Lost : ReplayOutcome::Running;
    r.kill_reason = st.Tot ? st.KillReason : std::string();
    r.level = st.Level;
    r.score = st.Score;
    r.time_bonus = st.TimeBonus;
    r.runner = st.Runner;
    r.pilz_count = st.PilzCount;
    r.frames = frame_;
    r.sounds = sounds_.Requests();
    r.digest = GameDigest(g_, &sounds_);
    return r;
  }

 private:
  static std::string DataDir(const ReplayOptions& o) {
    std::string dir = o.data_dir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
  }

  // Presses and releases keys as the player would: only what changed since the last frame.
  void HoldKeys(uint8_t keys) {
    const GameState& st = g_.st;
    for (uint8_t bit = 1; bit != 0 && bit <= ReplayControl; bit = static_cast<uint8_t>(bit << 1)) {
      if ((keys & bit) == (held_ & bit)) continue;
      for (int vk : ReplayKeyCodes(bit, st.UpKeyCode, st.DownKeyCode)) host_.InjectKey(vk, (keys & bit) != 0);
    }
    held_ = keys;
  }

  // A tap arrives between two frames, as window events do, in the canvas's pixels.
  void Tap(float x, float y) {
    InputEvent e;
    e.type = InputEvent::Type::MouseDown;
    e.x = x * static_cast<float>(host_.GetCanvas().Width()) / DesignWidth;
    e.y = y * static_cast<float>(host_.GetCanvas().Height()) / DesignHeight;
    host_.QueueEvent(e);
    e.type = InputEvent::Type::MouseUp;
    host_.QueueEvent(e);
  }

  const ReplayOptions& options_;
  ManualClock clock_{0};
  ClockGuard clock_guard_;
  ScratchFolder scratch_;
  NullHost null_host_;
  Host& host_;
  std::unique_ptr<App> app_;
  Game& g_;
  SoundPlayer* const player_;
  SoundRequestLog sounds_;
  int64_t frame_ = 0;
  uint8_t held_ = 0;
};

// Runs body; a fatal error of the game (or anything that would reach the top of the program)
// becomes the result's error.
template <typename Body>
void Guarded(ReplayResult& result, Body body) {
  try {
    body();
  } catch (const FatalErrorException& e) {
    result.failed = true;
    result.error_code = e.Code();
    result.error = e.what();
  } catch (const std::exception& e) {
    result.failed = true;
    result.error_code = ExitUnexpected;
    result.error = e.what();
  }
}

ReplayResult WithError(ReplayResult r, const ReplayResult& error) {
  r.failed = error.failed;
  r.error_code = error.error_code;
  r.error = error.error;
  return r;
}

}  // namespace

ReplayResult RunReplay(const ReplayOptions& options, const ReplayScript& script) {
  Session session(options);
  ReplayResult error;
  Guarded(error, [&] {
    session.Start(options.level, options.difficulty);
    session.Play(script, !options.play_through);
  });
  return WithError(session.Result(), error);
}

PlayThroughResult RunPlayThrough(const ReplayOptions& options, const std::vector<PlayThroughLevel>& levels,
                                 int64_t run_on_frames) {
  PlayThroughResult out;
  if (levels.empty()) return out;
  Session session(options);
  Game& g = session.G();
  ReplayResult error;
  Guarded(error, [&] {
    session.Start(levels.front().level, options.difficulty);
    for (size_t i = 0; i < levels.size(); ++i) {
      const PlayThroughLevel& l = levels[i];
      if (g.st.Level != l.level) {
        out.stopped = "the game went on to level " + std::to_string(g.st.Level) + ", not " + std::to_string(l.level);
        return;
      }
      const int64_t script_from = session.Frames();
      session.Play(l.script, true);
      out.levels.push_back(session.Result());
      out.levels.back().frames -= script_from;
      if (!g.st.MissionCompleted) {
        out.stopped = "level " + std::to_string(l.level) + " was not won";
        return;
      }
      ++out.levels_won;
      // On to the next level's start (or the end of the game), then to where its script begins.
      const int64_t won_at = session.Frames();
      const bool last = i + 1 == levels.size();
      while (session.Frames() - won_at < run_on_frames) {
        if (!session.Frame(0)) return;
        if (g.st.FinalPhase != 0) {
          out.congratulated = true;
          break;
        }
        if (!last && g.st.Level != l.level) break;
      }
      if (!last && !session.AlignToLevelStart()) return;
    }
  });
  out.last = WithError(session.Result(), error);
  if (error.failed && out.stopped.empty()) out.stopped = "error " + std::to_string(error.error_code) + ": " + error.error;
  return out;
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
