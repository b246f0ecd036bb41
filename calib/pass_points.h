// The raw controller coordinates of the targets touched in one pass.
#pragma once

#include <cstdint>

namespace qvtouch::calib {

struct RawPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  bool operator==(const RawPoint&) const = default;
};

// One raw point per target; a method reads only the four targets it collects.
struct PassPoints {
  RawPoint TopLeft;
  RawPoint BottomRight;
  RawPoint DiagNear;
  RawPoint DiagFar;
  RawPoint BottomLeft;
  RawPoint TopRight;

  // The point of a target code (targets.h); null for TARGET_NONE and any code that is no target.
  RawPoint* For(std::int32_t target);
};

}  // namespace qvtouch::calib
