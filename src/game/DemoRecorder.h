#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "levels/Recordings.h"

namespace kirpo {

struct Game;

// Writes what the attract mode replays: from the runner's release on, one record per two runner
// steps with the runner's place and steering and the level's first kmonster and gmonster.
class DemoRecorder {
 public:
  void Attach(Game& g);
  // Bytes of the recording file: every record written, then the last one repeated to the end,
  // so a demo that outlasts its recording keeps everything where the recording left it.
  std::vector<uint8_t> FileBytes() const;
  bool Save(const std::string& path) const;
  int RecordsWritten() const { return static_cast<int>(frames_.size()); }

 private:
  void Step(Game& g, bool after);
  std::vector<RecordFrame> frames_;
  int64_t steps_ = 0;
  float before_x_ = 0, before_y_ = 0;
  int32_t pilz_before_ = 0;
};

}  // namespace kirpo
