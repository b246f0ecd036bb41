// The calibration screen's two pictures, built once: the background (a plain light-blue field
// with the instruction text) and the target cell (the cross on a piece of that background).
#pragma once

#include <QPixmap>
#include <QSize>

#include "calib/screen/calibration_screen.h"

namespace qvtouch::calib {

// Makes the program's pictures and icon available (once is enough; more do no harm).
void LoadCalibrationResources();

class CalibrationPictures {
 public:
  // For a window of the size, with the instruction text's top at textTop.
  CalibrationPictures(QSize window, int textTop);

  const QPixmap& Background() const { return background_; }
  const QPixmap& Target() const { return target_; }

 private:
  QPixmap background_;
  QPixmap target_;
};

}  // namespace qvtouch::calib
