#include "cpl/tab_page5.h"

#include "cpl/resource.h"
#include "platform/ui/data_exchange.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_STATIC,
     ControlKind::CentredText,
     "Quvotouch AcousticWave Touchscreen driver ",
     {41, 85, 182, 8}},
    {IDC_STATIC, ControlKind::CentredText, "for Windows Server 2003(x64)", {49, 98, 151, 8}},
    {IDC_STATIC, ControlKind::CentredText, "Version 5.95", {43, 110, 164, 8}},
    {IDC_STATIC, ControlKind::CentredText, "All rights reserved.", {43, 128, 164, 8}},
    {IDC_LOGO, ControlKind::Picture, kLogoBitmapResource, {48, 14, 153, 33}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_ABOUT, " About", {251, 165}, {"MS Sans Serif", 10}, kControls};

}  // namespace

TabPage5::TabPage5() : CPropertyPage(kTemplate) {}

void TabPage5::DoDataExchange(qvtouch::ui::CDataExchange* pDX) {
  DDX_Control(pDX, IDC_LOGO, m_logo);
}

BOOL TabPage5::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return FALSE;
}
