#include "platform/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kirpo {

namespace {
// The source pixels one target pixel takes along one axis, and their weights (summing to 1).
struct Taps {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Taps> AxisTaps(int source, int target) {
  std::vector<Taps> taps(static_cast<size_t>(target));
  const double ratio = double(source) / target;
  for (int o = 0; o < target; ++o) {
    Taps& t = taps[static_cast<size_t>(o)];
    if (ratio >= 1) {
      // The area [o * ratio, (o + 1) * ratio) of the source.
      const double from = o * ratio, to = (o + 1) * ratio;
      t.first = static_cast<int>(std::floor(from));
      const int last = std::min(source - 1, static_cast<int>(std::ceil(to)) - 1);
      for (int i = t.first; i <= last; ++i)
        t.weights.push_back(float((std::min(to, double(i + 1)) - std::max(from, double(i))) / ratio));
    } else {
      // The two nearest source pixels, as a linear stretch takes them.
      const double c = std::max(0.0, (o + 0.5) * ratio - 0.5);
      const int i0 = std::min(source - 1, static_cast<int>(std::floor(c)));
      const float f = i0 + 1 < source ? float(c - i0) : 0.0f;
      t.first = i0;
      t.weights = {1 - f};
      if (f > 0) t.weights.push_back(f);
    }
  }
  return taps;
}

// Four premultiplied channels per pixel.
void ScaleRowInto(const uint32_t* row, const std::vector<Taps>& taps, float* out) {
  for (const Taps& t : taps) {
    float a = 0, r = 0, g = 0, b = 0;
    for (size_t k = 0; k < t.weights.size(); ++k) {
      const uint32_t p = row[t.first + int(k)];
      const float w = t.weights[k];
      const float pa = float(p >> 24) * w;
      a += pa;
      r += float((p >> 16) & 0xFF) * pa;
      g += float((p >> 8) & 0xFF) * pa;
      b += float(p & 0xFF) * pa;
    }
    out[0] = a, out[1] = r, out[2] = g, out[3] = b;
    out += 4;
  }
}

uint32_t Channel(float v) { return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }
}  // namespace

bool ScaleRows(int sw, int sh, const std::function<bool(int, uint32_t*)>& source_row, uint32_t* target, int pitch,
               int dw, int dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || !target) return false;
  auto target_row = [&](int y) { return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) + size_t(y) * pitch); };
  std::vector<uint32_t> row(static_cast<size_t>(sw));
  if (sw == dw && sh == dh) {
    for (int y = 0; y < sh; ++y) {
      if (!source_row(y, row.data())) return false;
      std::memcpy(target_row(y), row.data(), size_t(sw) * 4);
    }
    return true;
  }
  const std::vector<Taps> across = AxisTaps(sw, dw), down = AxisTaps(sh, dh);
  size_t window = 1;
  for (const Taps& t : down) window = std::max(window, t.weights.size());
  // The source rows the current target row takes, each already scaled across.
  const size_t ring = window + 1;
  std::vector<float> held(ring * size_t(dw) * 4);
  std::vector<float> sum(size_t(dw) * 4);
  int read = 0;  // source rows read so far
  for (int y = 0; y < dh; ++y) {
    const Taps& t = down[static_cast<size_t>(y)];
    const int last = t.first + int(t.weights.size()) - 1;
    while (read <= last) {
      if (!source_row(read, row.data())) return false;
      ScaleRowInto(row.data(), across, &held[(size_t(read) % ring) * size_t(dw) * 4]);
      ++read;
    }
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (size_t k = 0; k < t.weights.size(); ++k) {
      const float w = t.weights[k];
      const float* h = &held[(size_t(t.first) + k) % ring * size_t(dw) * 4];
      for (size_t i = 0; i < sum.size(); ++i) sum[i] += h[i] * w;
    }
    uint32_t* out = target_row(y);
    for (int x = 0; x < dw; ++x) {
      const float* p = &sum[size_t(x) * 4];
      const uint32_t a = Channel(p[0]);
      if (a == 0) {
        out[x] = 0;
        continue;
      }
      out[x] = (a << 24) | (Channel(p[1] / p[0]) << 16) | (Channel(p[2] / p[0]) << 8) | Channel(p[3] / p[0]);
    }
  }
  // Rows below the last one taken are still read, so a damaged end is noticed the same way.
  while (read < sh) {
    if (!source_row(read, row.data())) return false;
    ++read;
  }
  return true;
}

bool ScalePixels(const uint32_t* source, int source_pitch, int sw, int sh, uint32_t* target, int pitch, int dw,
                 int dh) {
  if (!source) return false;
  return ScaleRows(
      sw, sh,
      [&](int y, uint32_t* row) {
        std::memcpy(row, reinterpret_cast<const uint8_t*>(source) + size_t(y) * source_pitch, size_t(sw) * 4);
        return true;
      },
      target, pitch, dw, dh);
}

}  // namespace kirpo
