#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kirpo {

// One 52-byte record of a demo recording.
struct RecordFrame {
  float RunnerX = 0, RunnerY = 0;
  int32_t RunnerFig = 0;
  float GMonsterX = 0, GMonsterY = 0;
  int32_t GMonsterFig = 0, GMonsterPattern = 0;
  float KMonsterX = 0, KMonsterY = 0;
  int32_t KMonsterFig = 0;
  float TouchX = 0, TouchY = 0;
  uint8_t Steering = 0;  // 1 down, 2 up, 4 left, 8 right, 16 shoot
};

constexpr int RecordCount = 24000;
constexpr int RecordSize = 52;

struct Recordings {
  std::vector<RecordFrame> Frames = std::vector<RecordFrame>(RecordCount);
  // Playback past the last record stays on the last record.
  const RecordFrame& Frame(int index) const {
    if (index < 0) index = 0;
    if (index >= RecordCount) index = RecordCount - 1;
    return Frames[static_cast<size_t>(index)];
  }
  void Clear() { Frames.assign(RecordCount, RecordFrame{}); }
  // Decodes up to RecordCount records from the file's bytes; the rest stay zero.
  void Decode(const uint8_t* data, size_t size);
  static void Encode(const RecordFrame& f, uint8_t* out52);
};

}  // namespace kirpo
