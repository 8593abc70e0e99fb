#include "sound/SlotSoundPlayer.h"

#include <chrono>

#include "common/Consts.h"
#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "sprites/Sprite.h"

namespace kirpo {

const char* const SlotSoundPlayer::SoundFiles[10] = {
    "neuer_hiscore.wav", "killed.wav", "level_gewonnen.wav", "gameover.wav", "monkilled.wav",
    "fallen.wav",        "schuss.wav", "takepilz.wav",       "killball.wav", "count_money.wav"};

SlotSoundPlayer::SlotSoundPlayer(std::string sound_dir, std::unique_ptr<AudioBackend> backend)
    : sound_dir_(std::move(sound_dir)), backend_(std::move(backend)) {}

SlotSoundPlayer::~SlotSoundPlayer() { StopSound(); }

bool SlotSoundPlayer::LoadSounds() {
  WriteLog("LoadSounds");
  if (loaded_) return true;
  for (Slot& s : slots_) {
    std::lock_guard<std::mutex> lock(s.lock);
    s.filename.clear();
    s.status = Free;
  }
  if (!backend_ || !backend_->Init()) return false;
  std::vector<AudioFile> files;
  for (const char* name : SoundFiles) {
    AudioFile f;
    f.fn = sound_dir_ + name;
    if (!ReadFileBytes(f.fn, f.data) || f.data.empty()) return false;
    files.push_back(std::move(f));
  }
  files_ = std::move(files);
  loaded_ = true;
  return true;
}

bool SlotSoundPlayer::StartSound() {
  WriteLog("StartSound");
  if (worker_.joinable()) {
    if (!worker_ended_) return true;
    worker_.join();  // a worker that gave up after repeated failures is started anew
  }
  try {
    if (!LoadSounds()) return false;
    shutdown_ = false;
    worker_ended_ = false;
    worker_ = std::thread([this] { Execute(); });
  } catch (...) {
    return false;
  }
  return true;
}

void SlotSoundPlayer::StopSound() {
  if (!worker_.joinable()) return;
  WriteLog("StopSound");
  {
    std::lock_guard<std::mutex> lock(wake_mutex_);
    shutdown_ = true;
  }
  wake_.notify_one();
  worker_.join();
  // Streams still playing stop now; the next worker finds them gone and frees their slots.
  for (Slot& s : slots_) {
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.status == Playing) backend_->ChannelStop(s.handle);
  }
}

void SlotSoundPlayer::PlayMusik(TSprite* sprite, const std::string& file) {
  WriteLog("PlayMusik " + (sprite ? sprite->TypBez : std::string()));
  if ((!worker_running_ && !sound_on_) || file.empty() || !loaded_) return;
  if (sprite) StopMusik(sprite);
  for (Slot& s : slots_) {
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.status != Free) continue;
    s.filename = sound_dir_ + file;
    s.status = PlayRequested;
    s.handle = 0;
    s.request_id = 0;
    if (sprite) {
      s.request_id = ++id_counter_ ? id_counter_ : ++id_counter_;
      sprite->WMPrecordIndex = s.request_id;
    }
    WakeWorker();
    return;
  }
  // No free slot: the request is dropped.
}

void SlotSoundPlayer::StopMusik(TSprite* sprite) {
  if (sprite && sprite->WMPrecordIndex == 0) return;
  if (!loaded_) return;
  for (Slot& s : slots_) {
    std::lock_guard<std::mutex> lock(s.lock);
    if (!sprite) {
      // A free slot has nothing to stop; marking it would refuse a play request made right after
      // the stop (the game-over sound after the demo's start) until the worker's next pass.
      if (s.status != Free) s.status = StopRequested;
    } else if (s.request_id == sprite->WMPrecordIndex) {
      s.status = StopRequested;
      sprite->WMPrecordIndex = 0;
      return;
    }
  }
}

void SlotSoundPlayer::Execute() {
  worker_running_ = true;
  WriteLog("TSoundThread.Execute");
  int failed_passes = 0;
  while (!shutdown_) {
    if (Pass()) {
      failed_passes = 0;
    } else if (++failed_passes >= FailedPassLimit) {
      // A failure that keeps coming back would only fill the log: sound goes off, the game goes on.
      WriteLog("TSoundThread.Execute: sound switched off after repeated failures");
      sound_on_ = false;
      break;
    }
    if (AllSlotsFree()) {
      // Nothing plays: the worker sleeps until a request comes instead of waking the process
      // a hundred times a second. A stop needs no wake-up, as only a slot in use is stopped.
      std::unique_lock<std::mutex> lock(wake_mutex_);
      wake_.wait(lock, [this] { return wake_pending_ || shutdown_; });
      wake_pending_ = false;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  worker_running_ = false;
  worker_ended_ = true;
}

bool SlotSoundPlayer::AllSlotsFree() {
  for (Slot& s : slots_) {
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.status != Free) return false;
  }
  return true;
}

void SlotSoundPlayer::WakeWorker() {
  {
    std::lock_guard<std::mutex> lock(wake_mutex_);
    wake_pending_ = true;
  }
  wake_.notify_one();
}

bool SlotSoundPlayer::Pass() {
  for (int i = 0; i < SlotCount; ++i) {
    try {
      PassSlot(slots_[static_cast<size_t>(i)]);
    } catch (const std::exception& e) {
      // Nothing may leave the worker: an escaping exception would end the whole program unseen.
      WriteLog(std::string("TSoundThread.Execute ") + e.what() + " I=" + std::to_string(i));
      return false;
    } catch (...) {
      WriteLog("TSoundThread.Execute unknown error I=" + std::to_string(i));
      return false;
    }
    if (shutdown_) break;
  }
  return true;
}

void SlotSoundPlayer::PassSlot(Slot& s) {
  std::lock_guard<std::mutex> lock(s.lock);
  switch (s.status) {
    case StopRequested:
      if (s.handle) backend_->ChannelStop(s.handle);
      s.handle = 0;
      s.status = Free;
      break;
    case PlayRequested:
      for (const AudioFile& f : files_) {
        if (f.fn != s.filename) continue;  // the name must match exactly, case included
        s.handle = backend_->StreamCreate(f.data.data(), f.data.size());
        if (s.handle == 0 || !backend_->ChannelPlay(s.handle)) {
          // The main thread ends the program with this; the worker only stops.
          std::lock_guard<std::mutex> fl(fatal_mutex_);
          if (fatal_code_ == 0) {
            fatal_text_ = s.handle == 0 ? "Error creating audio stream!" : "Error playing stream!";
            fatal_code_ = s.handle == 0 ? ExitAudioStream : ExitAudioPlay;
          }
          s.status = Free;
          shutdown_ = true;
          return;
        }
        s.status = Playing;
        break;
      }
      break;
    case Playing:
      if (backend_->ChannelGetPosition(s.handle) < 0) {
        s.handle = 0;
        s.status = Free;
      }
      break;
    default: break;
  }
}

std::string SlotSoundPlayer::FatalText() const {
  std::lock_guard<std::mutex> lock(fatal_mutex_);
  return fatal_text_;
}

int32_t SlotSoundPlayer::StatusOf(int slot) {
  Slot& s = slots_[static_cast<size_t>(slot)];
  std::lock_guard<std::mutex> lock(s.lock);
  return s.status;
}

}  // namespace kirpo
