#include "cpl/tab_page3.h"

#include <array>

#include "cpl/resource.h"
#include "cpl/setting_limits.h"
#include "platform/ui/data_exchange.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Text, " Mouse mode: ", {17, 10, 53, 8}},
    {IDC_MOUSE_MODE, ControlKind::DropDownList, "", {83, 9, 113, 73}},
    {IDC_CLICK_FIELD, ControlKind::Slider, "", {97, 32, 96, 15}},
    {IDC_CLICK_SPEED, ControlKind::Slider, "", {97, 52, 96, 16}},
    {IDC_STATIC, ControlKind::Text, "Double Click Field:", {17, 36, 82, 8}},
    {IDC_STATIC, ControlKind::Text, "Double Click Speed:", {17, 55, 82, 8}},
    {IDC_CLICK_FIELD_TEXT, ControlKind::Text, "Static", {200, 34, 25, 8}},
    {IDC_CLICK_SPEED_TEXT, ControlKind::Text, "Static", {200, 55, 25, 8}},
    {IDC_RIGHT_DELAY,
     ControlKind::DropDownCombo,
     "",
     {97, 82, 98, 109},
     {.VerticalScrollBar = true}},
    {IDC_STATIC, ControlKind::Text, "Right button delay:", {17, 83, 80, 11}},
    {IDC_STATIC,
     ControlKind::Text,
     "RIGHT BUTTON DELAY is a pramater for auto making a mouse rightbutton clicked event,when "
     "user keep touching at somewhere waite for several hundreds milliseconds.",
     {17, 103, 207, 46}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_MOUSE, "Mouse setting", {240, 160}, {"MS Sans Serif", 10}, kControls};

// The mouse modes, in list order: the index is the MouseMode.
constexpr std::array<LPCSTR, 4> kMouseModes{"Click when Press ", "Click when Release ", "Dragging ",
                                            "Drag and Double Click"};

struct RightButtonDelay {
  LPCSTR Text;
  DWORD Reports;  // the RBNDelay stored for the entry: about the time at 96 reports a second
};

constexpr std::array kRightButtonDelays{
    RightButtonDelay{"250ms", 24}, RightButtonDelay{"300ms", 30}, RightButtonDelay{"350ms", 36},
    RightButtonDelay{"450ms", 42}, RightButtonDelay{"500ms", 48}, RightButtonDelay{"550ms", 56},
    RightButtonDelay{"650ms", 64}, RightButtonDelay{"750ms", 72}, RightButtonDelay{"1.0s", 96},
    RightButtonDelay{"1.5s", 144}, RightButtonDelay{"2.0s", 192}, RightButtonDelay{"2.5s", 240},
};

}  // namespace

TabPage3::TabPage3() : CPropertyPage(kTemplate) {
  MapCommand(CBN_SELCHANGE, IDC_MOUSE_MODE, &TabPage3::OnSelchangeMouseMode);
  MapCommand(CBN_SELCHANGE, IDC_RIGHT_DELAY, &TabPage3::OnSelchangeRightDelay);
}

void TabPage3::DoDataExchange(qvtouch::ui::CDataExchange* pDX) {
  DDX_Control(pDX, IDC_CLICK_SPEED, m_speedSlider);
  DDX_Control(pDX, IDC_CLICK_FIELD, m_fieldSlider);
  DDX_Control(pDX, IDC_MOUSE_MODE, m_modeCombo);
  DDX_CBIndex(pDX, IDC_MOUSE_MODE, m_modeIndex);
  DDX_Slider(pDX, IDC_CLICK_FIELD, m_field);
  DDX_Slider(pDX, IDC_CLICK_SPEED, m_speed);
  DDX_Text(pDX, IDC_CLICK_FIELD_TEXT, m_fieldText);
  DDX_Text(pDX, IDC_CLICK_SPEED_TEXT, m_speedText);
  DDX_Control(pDX, IDC_RIGHT_DELAY, m_delayCombo);
}

BOOL TabPage3::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  for (LPCSTR mode : kMouseModes) m_modeCombo.AddString(mode);
  m_fieldSlider.SetRange(kSmallestDoubleClickField, kLargestDoubleClickField);
  m_speedSlider.SetRange(kShortestDoubleClickTime, kLongestDoubleClickTime);
  ShowNumbers();
  m_modeCombo.SetCurSel(m_modeIndex);
  for (const RightButtonDelay& delay : kRightButtonDelays) {
    m_delayCombo.SetItemData(m_delayCombo.AddString(delay.Text), delay.Reports);
  }
  for (int entry = 0; entry < m_delayCombo.GetCount(); ++entry) {
    if (m_delayCombo.GetItemData(entry) == m_delay) m_delayCombo.SetCurSel(entry);
  }
  UpdateData(FALSE);
  return TRUE;
}

void TabPage3::OnHScroll(int id) {
  UpdateData(TRUE);
  ShowNumbers();
  UpdateData(FALSE);
  CPropertyPage::OnHScroll(id);
}

void TabPage3::OnSelchangeMouseMode() {
  UpdateData(TRUE);
}

void TabPage3::OnSelchangeRightDelay() {
  // Without a selection the list answers CB_ERR, all bits set, which becomes the longest delay.
  DWORD_PTR reports = m_delayCombo.GetItemData(m_delayCombo.GetCurSel());
  if (reports < kLeastRightButtonDelay) reports = kLeastRightButtonDelay;
  if (reports > kMostRightButtonDelay) reports = kMostRightButtonDelay;
  m_delay = static_cast<DWORD>(reports);
}

void TabPage3::ShowNumbers() {
  m_fieldText = std::to_string(m_field);
  m_speedText = std::to_string(m_speed);
}
