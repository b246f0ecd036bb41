#include "cpl/quvo_dlg1.h"

#include <optional>

#include "common/request_codes.h"
#include "common/screen_post.h"
#include "cpl/resource.h"
#include "platform/device/winio.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefaultPushButton, " OK ", {89, 164, 45, 14}},
    {IDCANCEL, ControlKind::PushButton, " Cancel ", {150, 164, 45, 14}},
    {IDC_SHEET_FRAME, ControlKind::HiddenFrame, "", {0, 6, 217, 152}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_CONTROL_PANEL, "TouchScreen Control Panel", {219, 182}, {"MS Sans Serif", 10}, kControls};

// A device that reports on which screen the touch monitor is; this system's driver does not
// create it.
constexpr LPCSTR kHardwareDevice = R"(\\.\qvhwtouch)";

// Where a placed dialog goes, in pixels.
constexpr int kPlacedWidth = 440;
constexpr int kPlacedHeight = 380;

// The sheet's top-left corner from the frame's.
constexpr LONG kSheetOffsetX = 10;
constexpr LONG kSheetOffsetY = -7;

// The hardware device's placement code, or 0 when it does not open or does not answer.
std::uint32_t HardwareScreenPost() {
  std::uint32_t code = 0;
  HANDLE device = CreateFileA(kHardwareDevice, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return code;
  DWORD returned = 0;
  DeviceIoControl(device, qvtouch::IOCTL_TOUCH_GET_SCREEN_POST, nullptr, 0, &code, sizeof(code),
                  &returned, nullptr);
  CloseHandle(device);
  return code;
}

struct Position {
  int Left;
  int Top;
};

// The dialog's place on a desktop of width x height pixels for the placement code; none for the
// codes of one monitor or the primary one.
std::optional<Position> PlacedPosition(std::uint32_t code, int width, int height) {
  switch (static_cast<std::int32_t>(code)) {
    case qvtouch::kScreenStretchedLeft:
      return Position{width / 8, height / 4};
    case qvtouch::kScreenStretchedRight:
      return Position{5 * width / 8, height / 4};
    case qvtouch::kScreenStretchedTop:
      return Position{width / 4, height / 8};
    case qvtouch::kScreenStretchedBottom:
      return Position{width / 4, 5 * height / 8};
    case qvtouch::kScreenSecondary:
      return Position{5 * width / 4, height / 4};
    default:
      return std::nullopt;
  }
}

}  // namespace

QUvoDlg1::QUvoDlg1(HWND parent) : CDialog(kTemplate, parent) {}

BOOL QUvoDlg1::OnInitDialog() {
  CDialog::OnInitDialog();
  const CRect desktop = qvtouch::ui::DesktopClientRect();
  if (const auto placed = PlacedPosition(HardwareScreenPost(), desktop.Width(), desktop.Height())) {
    MoveWindow(placed->Left, placed->Top, kPlacedWidth, kPlacedHeight);
  }

  m_sheet.AddPage(&m_calibration);
  m_sheet.AddPage(&m_sound);
  m_sheet.AddPage(&m_mouse);
  m_sheet.AddPage(&m_comPort);
  m_sheet.AddPage(&m_screenPos);
  m_sheet.AddPage(&m_about);
  m_sheet.Create(this, WS_CHILD | WS_VISIBLE);
  // Keyboard navigation passes into the pages.
  m_sheet.ModifyStyleEx(0, WS_EX_CONTROLPARENT);
  m_sheet.ModifyStyle(0, WS_TABSTOP);

  CRect frame;
  GetDlgItem(IDC_SHEET_FRAME)->GetWindowRect(&frame);
  ScreenToClient(&frame);
  m_sheet.SetWindowPos(frame.left + kSheetOffsetX, frame.top + kSheetOffsetY, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
