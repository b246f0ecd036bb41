// The orientation rule: a calibration encodes the screen's rotation in the signs of its spans.
// The driver derives the orientation at every settings load, and the calibration program for the
// block it computes.
#pragma once

#include <cstdint>

namespace qvtouch {

// 0, 90, 180 or 270 by the signs of XL and YL; 90 and 270 swap the axes, so a single negative span
// is always a quarter turn, never a mirror. A zero span keeps the previous orientation.
constexpr std::int32_t OrientationOf(std::int32_t xl, std::int32_t yl, std::int32_t previous) {
  if (xl > 0 && yl > 0) return 0;
  if (xl < 0 && yl > 0) return 90;
  if (xl < 0 && yl < 0) return 180;
  if (xl > 0 && yl < 0) return 270;
  return previous;
}

}  // namespace qvtouch
