// One calibration at a time. A second start finds the running program's window on the X display
// by its class "QVTCALIBA" and its title "QUVO TOUCH CALIBRAY", as the platform's window lookup
// does, brings it to the front, and ends before it sends any request to the driver.
#pragma once

#include <string_view>

namespace qvtouch::calib {

inline constexpr std::string_view kWindowClass = "QVTCALIBA";
inline constexpr std::string_view kWindowTitle = "QUVO TOUCH CALIBRAY";

// Looks on the display (DISPLAY) for the calibration window; when there is one, raises and
// activates it and returns true.
bool BringRunningCalibrationToFront();

}  // namespace qvtouch::calib
