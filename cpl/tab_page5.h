// TabPage5, " About": the product's logo, name, platform and version.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/property_page.h"

class TabPage5 : public qvtouch::ui::CPropertyPage {
 public:
  TabPage5();

  qvtouch::ui::CStatic m_logo;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(qvtouch::ui::CDataExchange* pDX) override;
};
