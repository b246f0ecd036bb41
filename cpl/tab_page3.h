// TabPage3, "Mouse setting": how touches act as mouse input, the user's double-click area and
// time, and the right-button delay.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/property_page.h"

class TabPage3 : public qvtouch::ui::CPropertyPage {
 public:
  TabPage3();

  qvtouch::ui::CSliderCtrl m_speedSlider;
  qvtouch::ui::CSliderCtrl m_fieldSlider;
  qvtouch::ui::CComboBox m_modeCombo;
  int m_modeIndex = -1;  // MouseMode
  int m_field = 0;       // double-click area, pixels
  int m_speed = 0;       // double-click time, ms
  std::string m_fieldText;
  std::string m_speedText;
  qvtouch::ui::CComboBox m_delayCombo;
  DWORD m_delay = 0;  // RBNDelay, touch reports; changed only by choosing a delay entry

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(qvtouch::ui::CDataExchange* pDX) override;
  void OnHScroll(int id) override;
  void OnSelchangeMouseMode();
  void OnSelchangeRightDelay();

 private:
  void ShowNumbers();
};
