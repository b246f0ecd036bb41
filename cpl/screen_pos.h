// CScreenPos, "Screen Placement": which monitor, or which half of a stretched two-monitor
// desktop, the touch screen covers. Seven radio buttons, one exclusive group.
#pragma once

#include "platform/ui/property_page.h"

class CScreenPos : public qvtouch::ui::CPropertyPage {
 public:
  CScreenPos();

  // The placement code (ScreenPost's codes); it changes only when a radio button is clicked, so
  // a code that no button names goes back as it came.
  DWORD m_placement = 0;

 protected:
  BOOL OnInitDialog() override;
  void OnRadioClicked();
};
