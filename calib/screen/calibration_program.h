// The calibration program's run once the single-instance check has passed: the driver's screen
// placement, the window over its area, the controller handshake, the screen, the pass event and
// the worker, then the message loop until the run ends.
#pragma once

#include "calib/run/calibration_device.h"
#include "calib/run/controller_dialogue.h"

namespace qvtouch::calib {

// device: the driver's control device, null when it cannot be opened. Returns the program's exit
// code, 0 also after every failed start-up step.
int RunCalibrationProgram(CalibrationDevice* device, Sleep sleep);

}  // namespace qvtouch::calib
