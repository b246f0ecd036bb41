// CTollwenDlg, dialog 102: tells the user that the system must be restarted and asks whether to
// restart it now. Opening it schedules the calibration for the next logon, whatever the answer.
#pragma once

#include "platform/ui/dialog.h"

class CTollwenDlg : public qvtouch::ui::CDialog {
 public:
  CTollwenDlg();

 protected:
  BOOL OnInitDialog() override;
};
