// The calibration of one pass: from the raw points of the four targets of a method and the
// monitor sizes of the layout to the 68-byte calibration block, and for the controller-assisted
// method the controller's linearity values. Signed 32-bit arithmetic that wraps; every division
// truncates toward zero.
#pragma once

#include "calib/calibration.h"
#include "calib/monitor_sizes.h"
#include "calib/pass_points.h"
#include "calib/targets.h"

namespace qvtouch::calib {

// A pass whose XL or YL comes out 0 yields ZeroSpan (see calibration.h): nothing to try or store.
PassResult ComputeCalibration(CalibrationMethod method, const PassPoints& points,
                              const MonitorSizes& monitors);

}  // namespace qvtouch::calib
