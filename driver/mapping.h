// Coordinate mapping: from a report's raw position to an absolute pointer position (0 to 65536
// across the target area) with the move flags, by the calibration and the screen placement.
#pragma once

#include <cstdint>

#include "common/records.h"

namespace qvtouch::driver {

struct MappedPosition {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::uint16_t Flags = 0;
};

// The calibration's spans must not be 0 (the settings load and the calibration request refuse a
// zero span).
MappedPosition MapReport(std::uint16_t rawX, std::uint16_t rawY,
                         const CalibrationBlock& calibration, std::int32_t screenPost);

// Half-width of the jitter window in pointer units: four raw units of the span.
constexpr std::int32_t JitterOf(std::int32_t span) {
  const std::int32_t window = 0x40000 / span;
  return window < 0 ? -window : window;
}

}  // namespace qvtouch::driver
