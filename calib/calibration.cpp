#include "calib/calibration.h"

namespace qvtouch::calib {

PassResult Calibration::Checked(const CalibrationBlock& block,
                                std::optional<LinearityValues> linearity) {
  if (block.XL == 0 || block.YL == 0) return ZeroSpan{};
  return Calibration(block, linearity);
}

}  // namespace qvtouch::calib
