// TabPage4, "COM port select ": the serial port of the touch controller, COM1 to COM4.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/property_page.h"

class TabPage4 : public qvtouch::ui::CPropertyPage {
 public:
  TabPage4();

  qvtouch::ui::CComboBox m_portCombo;
  int m_portIndex = -1;  // Port - 1; outside 0 to 3 the list shows no port

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(qvtouch::ui::CDataExchange* pDX) override;
  void OnSelchangePort();
};
