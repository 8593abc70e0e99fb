#include "game/Replay.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>

#include "common/Consts.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameFrame.h"
#include "game/Input.h"
#include "game/TimedEffects.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "game/MainFormLayout.h"

namespace kirpo {

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool ParseFrames(const std::string& word, int64_t& out) {
  if (word.empty() || word.size() > 12) return false;
  int64_t v = 0;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return v > 0;
}

bool ParseKeys(const std::string& word, uint8_t& out) {
  out = 0;
  if (word == "-") return true;
  if (word.empty()) return false;
  for (char c : word) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'U': out |= ReplayUp; break;
      case 'D': out |= ReplayDown; break;
      case 'L': out |= ReplayLeft; break;
      case 'R': out |= ReplayRight; break;
      case 'F': out |= ReplayFire; break;
      case 'C': out |= ReplayControl; break;
      default: return false;
    }
  }
  return true;
}

bool ParseCoordinate(const std::string& word, float& out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (errno != 0 || end != word.c_str() + word.size() || !(v > -1e6 && v < 1e6)) return false;
  out = static_cast<float>(v);
  return true;
}

// FNV-1a, fed little-endian so the digest is the same on every machine.
class Fnv1a {
 public:
  void Byte(uint8_t b) {
    h_ ^= b;
    h_ *= 0x100000001b3ULL;
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v) {
    if (v == 0) v = 0;  // -0 and +0 are the same place
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  void Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char c : s) Byte(static_cast<uint8_t>(c));
  }
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 0xcbf29ce484222325ULL;
};

// A settings file of its own, so a replay neither reads nor changes the player's.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kirpo-replay-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) path_ = buf.data();
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

constexpr int64_t FrameTickMicros = 15625;  // the reference timer granularity, 15.625 ms

void SetKeys(GameState& st, uint8_t keys) {
  st.KeyState.fill(0);
  auto press = [&st](int vk) { st.KeyState[static_cast<size_t>(vk)] = 0x80; };
  if (keys & ReplayUp) press(st.UpKeyCode);
  if (keys & ReplayDown) press(st.DownKeyCode);
  if (keys & ReplayLeft) press(VK_LEFT);
  if (keys & ReplayRight) press(VK_RIGHT);
  if (keys & ReplayFire) press(VK_SPACE);
  if (keys & ReplayControl) press(VK_CONTROL);
}

bool Decided(const GameState& st) { return st.Tot || st.MissionCompleted; }

}  // namespace

int64_t ReplayScript::TotalFrames() const {
  int64_t n = 0;
  for (const ReplayStep& s : steps)
    if (s.kind == ReplayStep::Kind::Hold) n += s.frames;
  return n;
}

bool ParseReplayScript(const std::string& text, ReplayScript& out, std::string* error) {
  out.steps.clear();
  std::istringstream in(text);
  std::string raw;
  int line_no = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(line_no) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++line_no;
    const size_t hash = raw.find('#');
    const std::string line = Trim(hash == std::string::npos ? raw : raw.substr(0, hash));
    if (line.empty()) continue;
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    ReplayStep step;
    if (w[0] == "tap") {
      if (w.size() != 3 || !ParseCoordinate(w[1], step.x) || !ParseCoordinate(w[2], step.y))
        return fail("expected \"tap <x> <y>\" in design units");
      step.kind = ReplayStep::Kind::Tap;
    } else if (w[0] == "touch" || w[0] == "buttons") {
      if (w.size() != 1) return fail("\"" + w[0] + "\" takes nothing after it");
      step.kind = w[0] == "touch" ? ReplayStep::Kind::TouchMode : ReplayStep::Kind::ButtonMode;
    } else {
      if (w.size() != 2) return fail("expected \"<frames> <keys>\"");
      if (!ParseFrames(w[0], step.frames)) return fail("frame count must be a whole number above 0");
      if (!ParseKeys(w[1], step.keys)) return fail("keys are \"-\" or letters of U D L R F C");
    }
    out.steps.push_back(step);
  }
  return true;
}

uint64_t GameDigest(Game& g) {
  Fnv1a h;
  const int count = g.world.SpriteCount();
  for (int i = 0; i < count; ++i) {
    const TSprite& s = g.world.At(i);
    if (s.Typ == TypDied) continue;
    h.I32(i);
    h.I32(s.Typ);
    h.F32(s.X);
    h.F32(s.Y);
    h.I32(s.TypDirection);
    h.I32(s.FigNr);
  }
  const GameState& st = g.st;
  h.I32(st.Level);
  h.I32(st.Score);
  h.I32(st.Runner);
  h.I32(st.TimeBonus);
  h.I32(st.PilzCount);
  h.Byte(st.Tot ? 1 : 0);
  h.Byte(st.MissionCompleted ? 1 : 0);
  h.Str(st.KillReason);
  return h.Value();
}

ReplayResult RunReplay(const ReplayOptions& options, const ReplayScript& script) {
  ReplayResult result;
  ManualClock clock(0);
  ClockGuard clock_guard(&clock);
  ScratchFolder scratch;

  std::string dir = options.data_dir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  auto game = std::make_unique<Game>(dir);
  Game& g = *game;
  GameState& st = g.st;
  g.SkipDrawing = true;
  g.figures.KeepStore = false;  // nothing is written to the data folder
  g.settings.SetPath(scratch.Path().empty() ? std::string() : scratch.Path() + "/kirpo.ini");

  int64_t frame = 0;
  try {
    // The start-up the game makes before its first frame, without a window.
    BuildMainForm(g);
    BindMainFormInput(g);
    g.mf.PboxVisible = true;
    g.mf.PboxOpacity = 1;
    g.figures.LoadMovieList();
    if (FileExists(dir + "image.store")) g.figures.ReadImageStore();
    g.world.Random.Reset();
    st.Difficulty = options.difficulty;
    st.StartLevel = options.level;
    st.Demomode = false;
    st.GameRunning = true;
    st.AppStartedAt = 1;  // start-up has finished; the clock itself starts at 0
    if (options.on_start) options.on_start(g);
    NewGame(g, 1);

    bool stop = false;
    for (const ReplayStep& step : script.steps) {
      if (stop) break;
      switch (step.kind) {
        case ReplayStep::Kind::Tap:
          // A tap arrives between two frames, as window events do; a 1920 x 1200 paint box makes
          // paint-box pixels design units.
          pboxMouseDown(g, step.x, step.y, DesignWidth, DesignHeight);
          break;
        case ReplayStep::Kind::TouchMode: SetNavButtons(g, false, true); break;
        case ReplayStep::Kind::ButtonMode: SetNavButtons(g, true, true); break;
        case ReplayStep::Kind::Hold:
          for (int64_t i = 0; i < step.frames; ++i) {
            ++frame;
            // Frame n falls at floor(n * 15.625) ms: the clock never drifts from the tick. A wait
            // inside the game frame (the shell's Delay) may have run the clock past it; time
            // never runs backwards, the late frame simply comes at once.
            const int64_t due = frame * FrameTickMicros / 1000;
            if (due > clock.Now()) clock.Set(due);
            const int64_t now = GameTicks();
            g.timers.IdleHandler();
            if (st.BonusTimer.Due(now)) {
              st.BonusTimer.LastFired = now;
              BonusTimerTimer(g);
            }
            st.FrameElapsed = now - st.LastFrameAt;
            st.LastFrameAt = now;
            SetKeys(st, step.keys);
            GameAction(g);
            if (!options.play_through && Decided(st)) {
              stop = true;
              break;
            }
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
  result.score = st.Score;
  result.time_bonus = st.TimeBonus;
  result.runner = st.Runner;
  result.pilz_count = st.PilzCount;
  result.frames = frame;
  result.digest = GameDigest(g);
  // The game's periodic callbacks hold references into it; drop them before it goes.
  g.timers.Clear();
  return result;
}

std::string ReplayReport(const ReplayResult& r) {
  std::string out = "outcome: ";
  switch (r.outcome) {
    case ReplayOutcome::Won: out += "won"; break;
    case ReplayOutcome::Lost: out += "lost (" + r.kill_reason + ")"; break;
    case ReplayOutcome::Running: out += "running"; break;
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
