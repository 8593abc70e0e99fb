#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kirpo {

// The six operations the sound player needs from an audio library. Handles are never 0.
class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  // Opens the default output at 44.1 kHz; false when there is no usable device.
  virtual bool Init() = 0;
  // A stream of a whole sound file held in memory (the bytes must outlive it); 0 on failure.
  // The stream frees itself when its playback ends.
  virtual uint32_t StreamCreate(const uint8_t* data, size_t len) = 0;
  virtual bool ChannelPlay(uint32_t handle) = 0;
  // Negative once the handle is no longer valid (the stream ended and freed itself).
  virtual int64_t ChannelGetPosition(uint32_t handle) = 0;
  // Stops and frees the stream; harmless on a handle that is no longer valid.
  virtual void ChannelStop(uint32_t handle) = 0;
};

// SDL2_mixer behind the six operations.
std::unique_ptr<AudioBackend> CreateMixerBackend();

}  // namespace kirpo
