// Values of the driver's calibration point capture (CaptureState); any other value means idle.
#pragma once

#include <cstdint>

namespace qvtouch {

inline constexpr std::int32_t CaptureIdle = 0;
inline constexpr std::int32_t CaptureArmed = 4139;
inline constexpr std::int32_t CaptureTouched = 5001;
inline constexpr std::int32_t CaptureReleased = 5735;

}  // namespace qvtouch
