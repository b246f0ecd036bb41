// Tollwen, the last step of the installation: schedules the calibration program for the next
// logon and offers to restart the computer.
#pragma once

#include "platform/ui/win_app.h"

class CTollwenApp : public qvtouch::ui::CWinApp {
 public:
  // Runs the dialog and, on "Yes" (or Enter), asks the system to restart. Returns FALSE: the
  // program ends with the dialog.
  BOOL InitInstance();
};
