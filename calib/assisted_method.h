// The controller-assisted method: four targets on the main diagonal, TL and BR at a quarter and
// three quarters, A and B at 3/8 and 5/8 of the window.
#pragma once

#include "calib/calibration.h"
#include "calib/pass_points.h"
#include "common/records.h"

namespace qvtouch::calib {

// Fills Xc, Yc, XL and YL from TL, A, B and BR, and returns the controller's linearity values.
//
// Per axis, d is how much twice the inner segment (A to B, a quarter of the window) exceeds the
// outer one (TL to BR, half of it): 0 on a linear panel. The end with the larger raw value is
// pulled in by d and the linearity value is 3072 - d; a d below 0 or above 3072 counts as none.
LinearityValues ComputeAssisted(const PassPoints& points, CalibrationBlock& block);

}  // namespace qvtouch::calib
