#pragma once
#include <atomic>
#include <memory>
#include <new>

#include "platform/AudioBackend.h"

namespace kirpo::test {

// The real mixer, with a failure put in front of it: the first `failures` streams fail as an
// exhausted memory would.
class FailingAudioBackend final : public AudioBackend {
 public:
  explicit FailingAudioBackend(int failures) : real_(CreateMixerBackend()), failures_(failures) {}
  bool Init() override { return real_->Init(); }
  uint32_t StreamCreate(const uint8_t* data, size_t len) override {
    if (failures_-- > 0) throw std::bad_alloc();
    return real_->StreamCreate(data, len);
  }
  bool ChannelPlay(uint32_t h) override { return real_->ChannelPlay(h); }
  int64_t ChannelGetPosition(uint32_t h) override { return real_->ChannelGetPosition(h); }
  void ChannelStop(uint32_t h) override { real_->ChannelStop(h); }

 private:
  std::unique_ptr<AudioBackend> real_;
  std::atomic<int> failures_;
};

}  // namespace kirpo::test
