#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kirpo {

// Callbacks run at fixed intervals from the frame loop. A due entry fires at most once per walk
// and never catches up on missed intervals; the walk goes from the last entry to the first, and
// a run-once entry that fires ends the walk.
class HiTimerService {
 public:
  using Callback = std::function<void(int32_t* status)>;

  // The callbacks run on the time this points to (the game's own, which a pause stops); without
  // one, on the game clock.
  void UseTime(const int64_t* now) { now_ = now; }

  void AddHiTimer(int32_t id, bool run1x, int32_t* status, Callback callback, int64_t interval);
  // Removes the first entry with this id, if any.
  void RemoveHiTimer(int32_t id);
  void IdleHandler();
  // Game clock of the next moment an entry falls due; INT64_MAX with no entries.
  int64_t NextDue() const;
  size_t Count() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    int32_t id;
    int32_t* status;
    int64_t last_called;
    int64_t interval;
    bool run1x;
    Callback callback;
  };
  int64_t Now() const;
  std::vector<std::shared_ptr<Entry>> entries_;
  const int64_t* now_ = nullptr;
};

}  // namespace kirpo
