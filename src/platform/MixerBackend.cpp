#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <map>
#include <mutex>

#include "platform/AudioBackend.h"

namespace kirpo {

namespace {

class MixerBackend final : public AudioBackend {
 public:
  ~MixerBackend() override {
    if (!open_) return;
    Mix_HaltChannel(-1);
    for (auto& [data, chunk] : chunks_) Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Init() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // One channel: every sound of the game is mono and none is placed left or right, and each
    // sound is held converted to the output's format, so stereo would hold every sample twice.
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 1, 1024) != 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    Mix_AllocateChannels(kChannels);
    open_ = true;
    return true;
  }

  uint32_t StreamCreate(const uint8_t* data, size_t len) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_ || !data || len == 0) return 0;
    // A file is decoded once; every stream of it plays the same samples.
    Mix_Chunk*& chunk = chunks_[data];
    if (!chunk) chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data, static_cast<int>(len)), 1);
    if (!chunk) {
      chunks_.erase(data);
      return 0;
    }
    const uint32_t handle = ++last_handle_ ? last_handle_ : ++last_handle_;
    streams_[handle] = Stream{chunk, -1, 0};
    return handle;
  }

  bool ChannelPlay(uint32_t handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = streams_.find(handle);
    if (it == streams_.end()) return false;
    const int channel = Mix_PlayChannel(-1, it->second.chunk, 0);
    if (channel < 0) return false;
    it->second.channel = channel;
    it->second.generation = ++channel_generation_[static_cast<size_t>(channel)];
    return true;
  }

  int64_t ChannelGetPosition(uint32_t handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = streams_.find(handle);
    if (it == streams_.end()) return -1;
    if (OwnsItsChannel(it->second)) return 0;
    streams_.erase(it);  // ended: the stream frees itself
    return -1;
  }

  void ChannelStop(uint32_t handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = streams_.find(handle);
    if (it == streams_.end()) return;
    if (OwnsItsChannel(it->second)) Mix_HaltChannel(it->second.channel);
    streams_.erase(it);
  }

 private:
  static constexpr int kChannels = 20;
  struct Stream {
    Mix_Chunk* chunk;
    int channel;
    uint64_t generation;  // which of the channel's plays is this stream's
  };
  // A stream still plays while its channel plays and no later stream has taken the channel over:
  // the same sound started again on the same channel is somebody else's.
  bool OwnsItsChannel(const Stream& s) const {
    return s.channel >= 0 && Mix_Playing(s.channel) &&
           channel_generation_[static_cast<size_t>(s.channel)] == s.generation;
  }
  std::mutex mutex_;
  bool open_ = false;
  uint32_t last_handle_ = 0;
  std::map<const uint8_t*, Mix_Chunk*> chunks_;
  std::map<uint32_t, Stream> streams_;
  std::array<uint64_t, kChannels> channel_generation_{};
};

}  // namespace

std::unique_ptr<AudioBackend> CreateMixerBackend() { return std::make_unique<MixerBackend>(); }

}  // namespace kirpo
