#include "calib/screen/single_instance.h"

#include <windows.h>

#include <string>

namespace qvtouch::calib {

bool BringRunningCalibrationToFront() {
  HWND running = FindWindowA(std::string(kWindowClass).c_str(), std::string(kWindowTitle).c_str());
  if (running == nullptr) return false;
  SetForegroundWindow(running);
  return true;
}

}  // namespace qvtouch::calib
