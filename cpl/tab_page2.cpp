#include "cpl/tab_page2.h"

#include <array>

#include "common/records.h"
#include "common/request_codes.h"
#include "cpl/resource.h"
#include "cpl/setting_limits.h"
#include "platform/device/winio.h"
#include "platform/ui/data_exchange.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Text, "Beep On:", {22, 26, 42, 8}},
    {IDC_STATIC, ControlKind::Text, "Beep Tone (Hz)", {22, 53, 62, 8}},
    {IDC_STATIC, ControlKind::Text, "DurationTime(ms)", {23, 77, 67, 8}},
    {IDC_BEEP_TONE, ControlKind::Slider, "", {88, 48, 116, 15}},
    {IDC_DURATION, ControlKind::Slider, "", {88, 72, 116, 15}},
    {IDC_BEEP_ON,
     ControlKind::DropDownList,
     "",
     {94, 23, 105, 69},
     {.VerticalScrollBar = true, .ScrollBarShownDisabled = true}},
    {IDC_BEEP_TONE_TEXT, ControlKind::Text, "Static", {206, 51, 25, 8}},
    {IDC_DURATION_TEXT, ControlKind::Text, "Static", {206, 76, 25, 8}},
    {IDC_TEST_BEEP,
     ControlKind::PushButton,
     "Touch here to test beep",
     {19, 105, 201, 50},
     {.CentredVertically = true,
      .CentredHorizontally = true,
      .StaticEdge = true,
      .Transparent = true}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_SOUND, "Sound setting", {239, 159}, {"MS Sans Serif", 10}, kControls};

// The beep modes, in list order: the index is the BeepMode.
constexpr std::array<LPCSTR, 3> kBeepModes{"Non Beep", "Press", "Release"};

void Send(HANDLE device, DWORD code, std::span<std::uint8_t> input = {}) {
  DWORD returned = 0;
  DeviceIoControl(device, code, input.data(), static_cast<DWORD>(input.size()), nullptr, 0,
                  &returned, nullptr);
}

}  // namespace

TabPage2::TabPage2() : CPropertyPage(kTemplate) {
  MapCommand(CBN_SELCHANGE, IDC_BEEP_ON, &TabPage2::OnSelchangeBeepOn);
  MapCommand(BN_CLICKED, IDC_TEST_BEEP, &TabPage2::OnTestBeep);
}

void TabPage2::DoDataExchange(qvtouch::ui::CDataExchange* pDX) {
  DDX_Control(pDX, IDC_BEEP_ON, m_modeCombo);
  DDX_Control(pDX, IDC_DURATION, m_durationSlider);
  DDX_Control(pDX, IDC_BEEP_TONE, m_frequencySlider);
  DDX_CBIndex(pDX, IDC_BEEP_ON, m_modeIndex);
  DDX_Slider(pDX, IDC_DURATION, m_duration);
  DDX_Slider(pDX, IDC_BEEP_TONE, m_frequency);
  DDX_Text(pDX, IDC_BEEP_TONE_TEXT, m_frequencyText);
  DDX_Text(pDX, IDC_DURATION_TEXT, m_durationText);
}

BOOL TabPage2::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  m_frequencySlider.SetRange(kLowestBeepFrequency, kHighestBeepFrequency);
  m_durationSlider.SetRange(kShortestBeep, kLongestBeep);
  for (LPCSTR mode : kBeepModes) m_modeCombo.AddString(mode);
  ShowNumbers();
  UpdateData(FALSE);
  return TRUE;
}

void TabPage2::OnHScroll(int id) {
  UpdateData(TRUE);
  ShowNumbers();
  UpdateData(FALSE);
  CPropertyPage::OnHScroll(id);
}

void TabPage2::OnSelchangeBeepOn() {
  UpdateData(TRUE);
}

void TabPage2::OnTestBeep() {
  std::array<std::uint8_t, qvtouch::BeepRecord::kSize> saved{};
  DWORD returned = 0;
  const BOOL readOut = DeviceIoControl(m_device, qvtouch::IOCTL_TOUCH_GET_BEEP, nullptr, 0,
                                       saved.data(), saved.size(), &returned, nullptr);
  // The second pair holds the first, as the saved settings do; the test tone uses the first.
  const auto frequency = static_cast<std::uint32_t>(m_frequency);
  const auto duration = static_cast<std::uint32_t>(m_duration);
  auto trial = qvtouch::BeepRecord{static_cast<std::uint32_t>(m_modeIndex), frequency, duration,
                                   frequency, duration}
                   .Encode();
  Send(m_device, qvtouch::IOCTL_TOUCH_SET_BEEP, trial);
  Send(m_device, qvtouch::IOCTL_TOUCH_BEEP);
  // Without the record read out there is nothing to restore; the reload after the dialog gives
  // the driver the stored record again.
  if (readOut != FALSE && returned == saved.size())
    Send(m_device, qvtouch::IOCTL_TOUCH_SET_BEEP, saved);
}

void TabPage2::ShowNumbers() {
  m_frequencyText = std::to_string(m_frequency);
  m_durationText = std::to_string(m_duration);
}
