// TabPage1, "Calibration": when to calibrate, and a button that starts the calibration program.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/property_page.h"

class TabPage1 : public qvtouch::ui::CPropertyPage {
 public:
  TabPage1();

  qvtouch::ui::CButton m_calibrate;

 protected:
  void DoDataExchange(qvtouch::ui::CDataExchange* pDX) override;
  // Starts <ProgramFilesDir>\QVSerTouch\qvsercalib.exe and does not wait for it.
  void OnCalibrate();
};
