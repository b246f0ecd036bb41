// The four-corner method: the targets are the corners of the window's central rectangle.
#pragma once

#include "calib/pass_points.h"
#include "common/records.h"

namespace qvtouch::calib {

// Fills Xc, Yc, XL, YL and the eight extra fields from TL, BR, BL and TR: the centre of the two
// diagonals' centres, and each span the average of the two diagonals' spans. When the main
// diagonal runs against itself in raw terms (a quarter turn: raw X follows the screen's vertical
// axis), the anti-diagonal is taken from BL to TR so that both measure the same raw axis in the
// same direction. A main diagonal without extent in raw X or raw Y leaves a zero span.
void ComputeFourCorner(const PassPoints& points, CalibrationBlock& block);

}  // namespace qvtouch::calib
