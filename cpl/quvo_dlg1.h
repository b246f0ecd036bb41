// QUvoDlg1, "TouchScreen Control Panel": the settings dialog, a property sheet of six pages with
// OK and Cancel below it.
#pragma once

#include "cpl/screen_pos.h"
#include "cpl/tab_page1.h"
#include "cpl/tab_page2.h"
#include "cpl/tab_page3.h"
#include "cpl/tab_page4.h"
#include "cpl/tab_page5.h"
#include "platform/ui/dialog.h"
#include "platform/ui/property_sheet.h"

class QUvoDlg1 : public qvtouch::ui::CDialog {
 public:
  explicit QUvoDlg1(HWND parent);

  qvtouch::ui::CPropertySheet m_sheet;
  TabPage1 m_calibration;
  TabPage2 m_sound;
  TabPage3 m_mouse;
  TabPage4 m_comPort;
  TabPage5 m_about;
  CScreenPos m_screenPos;

 protected:
  // Places the dialog by the placement code of the hardware device, if there is one, and puts the
  // sheet with its pages, opened on "Calibration", over the frame control.
  BOOL OnInitDialog() override;
};
