#pragma once
#include <filesystem>
#include <set>
#include <string>

#include "game/Game.h"
#include "game/GameFrame.h"
#include "game/TimedEffects.h"
#include "platform/Clock.h"
#include "game/MainFormLayout.h"
#include "support/TempDir.h"

namespace kirpo::test {

// Copies the files of the data package's sources into dir, as the installation would. The
// full-screen pictures (splash, high scores, level pictures) take most of the decoding time and
// are left out unless asked for.
inline void CopyAssets(const TempDir& dir, bool pictures = false) {
  static const std::set<std::string> large = {"Neu34.png", "Neu35.png", "Neu36.png",
                                              "Neu37.png", "Neu46.png", "Neu48.png"};
  for (const auto& entry : std::filesystem::directory_iterator(std::string(KIRPO_SOURCE_DIR) + "/assets")) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || (!pictures && large.count(name))) continue;
    std::filesystem::copy_file(entry.path(), dir.File(name), std::filesystem::copy_options::overwrite_existing);
  }
}

// A game on a data folder holding the real assets, with the main form's layout and figures,
// the picture fully faded in and the image store being built as on a first run.
inline void PrepareGame(Game& g, const TempDir& dir, bool pictures = false) {
  CopyAssets(dir, pictures);
  BuildMainForm(g);
  LoadMainFormFigures(g);
  g.figures.LoadMovieList();
  g.figures.BuildingImageStore = true;
  g.PboxOpacity = 1;
}

// Drives frames like the real loop: frame n at floor(n * 15.625) ms after the start, the periodic
// callbacks and the level clock first, then the frame itself.
class FrameDriver {
 public:
  FrameDriver(Game& g, ManualClock& clock) : g_(g), clock_(clock), base_(clock.Now()) {}
  void Frame() {
    ++n_;
    clock_.Set(base_ + n_ * 15625 / 1000);
    g_.st.Time = clock_.Now();
    g_.timers.IdleHandler();
    const int64_t now = GameTicks();
    if (g_.st.BonusTimer.Due(now)) {
      g_.st.BonusTimer.LastFired = now;
      BonusTimerTimer(g_);
    }
    GameAction(g_);
  }
  // Runs frames until done() holds or ms of game time have passed; true when done() held.
  template <class Done>
  bool RunUntil(Done done, int64_t ms) {
    const int64_t end = clock_.Now() + ms;
    while (clock_.Now() < end) {
      Frame();
      if (done()) return true;
    }
    return false;
  }

 private:
  Game& g_;
  ManualClock& clock_;
  int64_t base_;
  int64_t n_ = 0;
};

}  // namespace kirpo::test
