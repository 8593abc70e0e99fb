#pragma once
#include <cstdint>

namespace kirpo {

// The one source of time for the game. The real program uses the steady clock; tests and
// tools use a manual clock and play faster than real time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the clock started, truncated.
  virtual int64_t Now() = 0;
  // Waits (or, for a manual clock, advances) the given number of milliseconds.
  virtual void Sleep(int64_t ms) = 0;
};

class SteadyClock final : public Clock {
 public:
  SteadyClock();
  int64_t Now() override;
  void Sleep(int64_t ms) override;

 private:
  int64_t start_ns_;
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(int64_t start = 0) : now_(start) {}
  int64_t Now() override { return now_; }
  void Sleep(int64_t ms) override {
    if (ms > 0) Set(now_ + ms);
  }
  void Advance(int64_t ms) { Set(now_ + ms); }
  void Set(int64_t t) {
    now_ = t;
    if (game_time_) *game_time_ = t;
  }
  // Tests that step the rules without the frame loop let a game's time follow this clock, as
  // the loop keeps it while nothing is paused.
  void Drive(int64_t* game_time) {
    game_time_ = game_time;
    if (game_time_) *game_time_ = now_;
  }

 private:
  int64_t now_;
  int64_t* game_time_ = nullptr;
};

// The clock behind GameTicks. Installing nullptr restores the process's steady clock.
void SetGameClock(Clock* clock);
Clock& GameClock();

int64_t GameTicks();
inline int64_t TicksBetween(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

}  // namespace kirpo
