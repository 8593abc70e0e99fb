#pragma once
#include <cstdint>
#include <functional>

namespace kirpo {

// Scales an ARGB picture (straight alpha) of sw x sh to dw x dh while its rows arrive one by one:
// each target pixel is the average of the source area it covers when the picture gets smaller,
// and blended from its four nearest source pixels when it grows (as a linear stretch does), with
// alpha weighed in so that see-through pixels do not darken their neighbours. Only a few source
// rows are held at a time. source_row(y, row) fills source row y (called for y = 0, 1, ... in order)
// and returns false to give up; the result goes to target rows pitch bytes apart. The same size
// copies the rows unchanged.
bool ScaleRows(int sw, int sh, const std::function<bool(int, uint32_t*)>& source_row, uint32_t* target, int pitch,
               int dw, int dh);

// The same for a picture in memory (rows source_pitch bytes apart).
bool ScalePixels(const uint32_t* source, int source_pitch, int sw, int sh, uint32_t* target, int pitch, int dw,
                 int dh);

}  // namespace kirpo
