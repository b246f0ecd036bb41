#include "calib/computation.h"

#include "calib/assisted_method.h"
#include "calib/four_corner_method.h"
#include "calib/monitor_shares.h"
#include "common/orientation.h"

namespace qvtouch::calib {

PassResult ComputeCalibration(CalibrationMethod method, const PassPoints& points,
                              const MonitorSizes& monitors) {
  CalibrationBlock block;
  std::optional<LinearityValues> linearity;
  if (method == CalibrationMethod::ControllerAssisted) {
    linearity = ComputeAssisted(points, block);
  } else {
    ComputeFourCorner(points, block);
  }
  const MonitorShares shares = SharesOf(monitors);
  block.Shp = shares.Shp;
  block.Shs = shares.Shs;
  block.Svp = shares.Svp;
  block.Svs = shares.Svs;
  // The driver's rule, except that a zero span leaves the field at its 0.
  block.Orientation = OrientationOf(block.XL, block.YL, 0);
  return Calibration::Checked(block, linearity);
}

}  // namespace qvtouch::calib
