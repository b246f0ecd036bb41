// TabPage2, "Sound setting": when the driver beeps, the tone's frequency and duration, and a test
// tone with them through the running driver.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/property_page.h"

class TabPage2 : public qvtouch::ui::CPropertyPage {
 public:
  TabPage2();

  HANDLE m_device = nullptr;  // the applet's open control device
  qvtouch::ui::CComboBox m_modeCombo;
  qvtouch::ui::CSliderCtrl m_durationSlider;
  qvtouch::ui::CSliderCtrl m_frequencySlider;
  int m_modeIndex = -1;  // BeepMode
  int m_duration = 0;    // ms
  int m_frequency = 0;   // Hz
  std::string m_frequencyText;
  std::string m_durationText;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(qvtouch::ui::CDataExchange* pDX) override;
  void OnHScroll(int id) override;
  void OnSelchangeBeepOn();
  // One tone with the page's frequency and duration; the driver's beep record is restored
  // right after the tone has started.
  void OnTestBeep();

 private:
  void ShowNumbers();
};
