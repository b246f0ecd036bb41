#include "calib/pass_points.h"

#include "calib/targets.h"

namespace qvtouch::calib {

RawPoint* PassPoints::For(std::int32_t target) {
  switch (target) {
    case TARGET_TOP_LEFT:
      return &TopLeft;
    case TARGET_BOTTOM_RIGHT:
      return &BottomRight;
    case TARGET_DIAG_NEAR:
      return &DiagNear;
    case TARGET_DIAG_FAR:
      return &DiagFar;
    case TARGET_BOTTOM_LEFT:
      return &BottomLeft;
    case TARGET_TOP_RIGHT:
      return &TopRight;
    default:
      return nullptr;
  }
}

}  // namespace qvtouch::calib
