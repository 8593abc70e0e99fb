#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace kirpo {

namespace {
int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
Clock* g_clock = nullptr;
}  // namespace

SteadyClock::SteadyClock() : start_ns_(SteadyNs()) {}

int64_t SteadyClock::Now() { return (SteadyNs() - start_ns_) / 1000000; }

void SteadyClock::Sleep(int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& GameClock() {
  static SteadyClock steady;
  return g_clock ? *g_clock : steady;
}

void SetGameClock(Clock* clock) { g_clock = clock; }

int64_t GameTicks() { return GameClock().Now(); }

}  // namespace kirpo
