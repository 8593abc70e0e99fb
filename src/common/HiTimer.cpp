#include "common/HiTimer.h"

#include <algorithm>
#include <climits>

#include "common/Consts.h"
#include "common/Errors.h"
#include "platform/Clock.h"

namespace kirpo {

int64_t HiTimerService::Now() const { return now_ ? *now_ : GameTicks(); }

void HiTimerService::AddHiTimer(int32_t id, bool run1x, int32_t* status, Callback callback, int64_t interval) {
  try {
    entries_.push_back(std::make_shared<Entry>(Entry{id, status, Now(), interval, run1x, std::move(callback)}));
  } catch (...) {
  }
}

void HiTimerService::RemoveHiTimer(int32_t id) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [id](const auto& e) { return e->id == id; });
  if (it != entries_.end()) entries_.erase(it);
}

void HiTimerService::IdleHandler() {
  try {
    // By index from the end, so a callback may remove its own entry or any other.
    for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i) {
      if (i >= static_cast<int>(entries_.size())) continue;
      std::shared_ptr<Entry> e = entries_[static_cast<size_t>(i)];
      const int64_t now = Now();
      if (now - e->last_called < e->interval) continue;
      e->last_called = now;
      if (e->callback) e->callback(e->status);
      if (e->run1x) {
        auto it = std::find(entries_.begin(), entries_.end(), e);
        if (it != entries_.end()) entries_.erase(it);
        break;
      }
    }
  } catch (...) {
    // A callback fails as the game frame would: fatal errors keep their code, others end the
    // program with the frame's code instead of vanishing.
    RethrowAsFatal(ExitFrame, "Idle: ");
  }
}

int64_t HiTimerService::NextDue() const {
  int64_t next = INT64_MAX;
  for (const auto& e : entries_) next = std::min(next, e->last_called + e->interval);
  return next;
}

}  // namespace kirpo
