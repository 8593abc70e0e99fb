#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioBackend.h"
#include "sound/SoundPlayer.h"

namespace kirpo {

// The sound effects: requests from the game go into 20 playback slots; a worker thread looks at
// them every 10 ms and plays, stops and frees streams through the audio backend. The game thread
// never waits on the audio library.
class SlotSoundPlayer final : public SoundPlayer {
 public:
  enum SlotStatus : int32_t { Free = 2, PlayRequested = -1, Playing = 1, StopRequested = -4 };
  static constexpr int SlotCount = 20;
  static const char* const SoundFiles[10];

  SlotSoundPlayer(std::string sound_dir, std::unique_ptr<AudioBackend> backend);
  ~SlotSoundPlayer() override;

  // Loads the files the first time and starts the worker; false when sound cannot run
  // (no device, a sound file missing or unreadable).
  bool StartSound();
  void StopSound() override;
  void PlayMusik(TSprite* sprite, const std::string& file) override;
  void StopMusik(TSprite* sprite) override;
  bool SoundOn() const override { return sound_on_; }
  void SetSoundOn(bool on) { sound_on_ = on; }
  bool WorkerRunning() const { return worker_running_; }

  // A failure of the audio stream on the worker, for the main thread to end the program with:
  // 0 while there is none.
  int FatalCode() const { return fatal_code_; }
  std::string FatalText() const;

  int32_t StatusOf(int slot);

 private:
  struct Slot {
    std::mutex lock;
    uint32_t handle = 0;      // the backend's stream once it exists
    uint32_t request_id = 0;  // the sprite-bound request's id, 0 for none
    int32_t status = Free;
    std::string filename;
  };
  struct AudioFile {
    std::string fn;
    std::vector<uint8_t> data;
  };
  // Passes that fail one after the other before the worker gives up and sound goes off.
  static constexpr int FailedPassLimit = 3;
  bool LoadSounds();
  void Execute();
  // One look at every slot; false when a slot's work failed (it is logged).
  bool Pass();
  void PassSlot(Slot& s);
  bool AllSlotsFree();
  // Wakes a worker that waits for work because no slot was in use.
  void WakeWorker();

  std::string sound_dir_;
  std::unique_ptr<AudioBackend> backend_;
  std::array<Slot, SlotCount> slots_;
  std::vector<AudioFile> files_;
  std::atomic<bool> loaded_{false};
  std::atomic<bool> sound_on_{false};
  std::atomic<bool> worker_running_{false};
  std::atomic<bool> shutdown_{false};
  std::atomic<bool> worker_ended_{false};
  std::thread worker_;
  std::mutex wake_mutex_;
  std::condition_variable wake_;
  bool wake_pending_ = false;  // guarded by wake_mutex_
  uint32_t id_counter_ = 0;
  std::atomic<int> fatal_code_{0};
  mutable std::mutex fatal_mutex_;
  std::string fatal_text_;
};

}  // namespace kirpo
