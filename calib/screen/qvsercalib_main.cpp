// qvsercalib, the calibration program: shows the targets over the touch screen's area, lets the
// driver capture a touch on each, tries the computed calibration in the driver and stores it once
// the user confirms that the pointer follows the finger. It takes no options.
#include <chrono>
#include <thread>

#include "calib/screen/calibration_program.h"
#include "calib/screen/single_instance.h"
#include "platform/ui/gui_entry.h"

int GuiMain() {
  using namespace qvtouch::calib;
  if (BringRunningCalibrationToFront()) return 0;
  const std::unique_ptr<CalibrationDevice> device = OpenDriverDevice();
  return RunCalibrationProgram(
      device.get(), [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); });
}
