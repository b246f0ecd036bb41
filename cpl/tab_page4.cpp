#include "cpl/tab_page4.h"

#include <array>

#include "cpl/resource.h"
#include "platform/ui/data_exchange.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_DEVICE_INSTALL_ON, ControlKind::Text, "Device install on:", {25, 26, 81, 8}},
    {IDC_PORT, ControlKind::DropDownList, "", {109, 23, 59, 67}},
    {IDC_STATIC,
     ControlKind::Text,
     "Notice:\n   When the Communication Port the driver used has changed,unless the system "
     "reboot or it do not take effect immediately.",
     {25, 68, 192, 44}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_COM_PORT, "COM port select ", {240, 160}, {"MS Sans Serif", 10}, kControls};

// The ports, in list order: the index is Port - 1.
constexpr std::array<LPCSTR, 4> kPorts{" COM1 ", " COM2 ", " COM3 ", " COM4 "};

}  // namespace

TabPage4::TabPage4() : CPropertyPage(kTemplate) {
  MapCommand(CBN_SELCHANGE, IDC_PORT, &TabPage4::OnSelchangePort);
}

void TabPage4::DoDataExchange(qvtouch::ui::CDataExchange* pDX) {
  DDX_Control(pDX, IDC_PORT, m_portCombo);
  DDX_CBIndex(pDX, IDC_PORT, m_portIndex);
}

BOOL TabPage4::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  for (LPCSTR port : kPorts) m_portCombo.AddString(port);
  m_portCombo.SetCurSel(m_portIndex);
  UpdateData(FALSE);
  return TRUE;
}

void TabPage4::OnSelchangePort() {
  m_portIndex = m_portCombo.GetCurSel();
}
