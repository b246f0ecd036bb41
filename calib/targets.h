// The calibration targets: the codes the run shows them by, and which of them each method collects.
#pragma once

#include <array>
#include <cstdint>

namespace qvtouch::calib {

inline constexpr std::int32_t TARGET_NONE = 0;  // no target: the plain background
inline constexpr std::int32_t TARGET_TOP_LEFT = 16;
inline constexpr std::int32_t TARGET_BOTTOM_RIGHT = 32;
inline constexpr std::int32_t TARGET_DIAG_NEAR = 64;  // 3/8 along the main diagonal
inline constexpr std::int32_t TARGET_DIAG_FAR = 128;  // 5/8 along the main diagonal
inline constexpr std::int32_t TARGET_BOTTOM_LEFT = 256;
inline constexpr std::int32_t TARGET_TOP_RIGHT = 288;

enum class CalibrationMethod {
  ControllerAssisted,  // the controller accepted the assisted mode: targets on the main diagonal
  FourCorner,          // it did not: the corners of the central rectangle
};

// The four targets of a pass, in the order they are shown.
constexpr std::array<std::int32_t, 4> TargetsOf(CalibrationMethod method) {
  if (method == CalibrationMethod::ControllerAssisted) {
    return {TARGET_TOP_LEFT, TARGET_DIAG_NEAR, TARGET_DIAG_FAR, TARGET_BOTTOM_RIGHT};
  }
  return {TARGET_TOP_LEFT, TARGET_BOTTOM_RIGHT, TARGET_BOTTOM_LEFT, TARGET_TOP_RIGHT};
}

}  // namespace qvtouch::calib
