#include "levels/Recordings.h"

#include <cmath>
#include <cstring>

#include "common/Consts.h"

namespace kirpo {

namespace {
uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
float GetF32(const uint8_t* p) {
  const uint32_t bits = GetU32(p);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(p, bits);
}

// A damaged recording must not put a figure somewhere no rule can handle: places are kept on the
// field (anything that is not a number counts as 0, "no place"), frame numbers within a strip.
float Place(float v, int limit) {
  if (!std::isfinite(v) || v < 0) return 0;
  return v > static_cast<float>(limit) ? static_cast<float>(limit) : v;
}

RecordFrame DecodeRecord(const uint8_t* r) {
  RecordFrame f;
  f.RunnerX = Place(GetF32(r + 0), DesignWidth - CellSize);
  f.RunnerY = Place(GetF32(r + 4), DesignHeight - CellSize);
  f.RunnerFig = GetI32(r + 8);
  f.GMonsterX = Place(GetF32(r + 12), DesignWidth - CellSize);
  f.GMonsterY = Place(GetF32(r + 16), DesignHeight - CellSize);
  f.GMonsterFig = GetI32(r + 20);
  const int32_t pattern = GetI32(r + 24);
  f.GMonsterPattern = pattern < 0 || pattern > 99 ? 0 : pattern;
  f.KMonsterX = Place(GetF32(r + 28), DesignWidth - CellSize);
  f.KMonsterY = Place(GetF32(r + 32), DesignHeight - CellSize);
  f.KMonsterFig = GetI32(r + 36);
  f.TouchX = Place(GetF32(r + 40), DesignWidth);
  f.TouchY = Place(GetF32(r + 44), DesignHeight);
  f.Steering = r[48];
  return f;
}
}  // namespace

void Recordings::Decode(const uint8_t* data, size_t size) {
  Clear();
  // A short file fills the leading records; a record cut off in the middle keeps its first bytes.
  for (size_t i = 0; i < static_cast<size_t>(RecordCount); ++i) {
    const size_t offset = i * RecordSize;
    if (offset >= size) break;
    uint8_t record[RecordSize] = {};
    const size_t n = size - offset < static_cast<size_t>(RecordSize) ? size - offset : RecordSize;
    std::memcpy(record, data + offset, n);
    Frames[i] = DecodeRecord(record);
  }
}

void Recordings::Encode(const RecordFrame& f, uint8_t* out52) {
  std::memset(out52, 0, RecordSize);
  PutF32(out52 + 0, f.RunnerX);
  PutF32(out52 + 4, f.RunnerY);
  PutU32(out52 + 8, static_cast<uint32_t>(f.RunnerFig));
  PutF32(out52 + 12, f.GMonsterX);
  PutF32(out52 + 16, f.GMonsterY);
  PutU32(out52 + 20, static_cast<uint32_t>(f.GMonsterFig));
  PutU32(out52 + 24, static_cast<uint32_t>(f.GMonsterPattern));
  PutF32(out52 + 28, f.KMonsterX);
  PutF32(out52 + 32, f.KMonsterY);
  PutU32(out52 + 36, static_cast<uint32_t>(f.KMonsterFig));
  PutF32(out52 + 40, f.TouchX);
  PutF32(out52 + 44, f.TouchY);
  out52[48] = f.Steering;
}

}  // namespace kirpo
