#include "cpl/quvo_panel.h"

#include "common/request_codes.h"
#include "cpl/quvo_dlg1.h"
#include "cpl/resource.h"
#include "platform/device/winio.h"
#include "platform/ui/message_box.h"
#include "platform/ui/resources.h"

namespace {

// The driver's control device, as the applet names it.
constexpr LPCSTR kDriverDevice = R"(\\.\QVTouch)";

}  // namespace

LONG CQuvoPanel::OnDblclk(HWND hwndCPl, UINT /*uAppNum*/, LONG_PTR /*lData*/) {
  DeviceHandle = CreateFileA(kDriverDevice, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (DeviceHandle == INVALID_HANDLE_VALUE) {
    DeviceHandle = nullptr;
    MessageBoxA(hwndCPl, "Driver is not installed!", "Error", MB_ICONERROR);
    return 0;
  }
  QUvoDlg1 dialog(hwndCPl);
  LoadPanelSettings();
  ShowInDialog(dialog);
  if (dialog.DoModal() == IDOK) {
    TakeFromDialog(dialog);
    SavePanelSettings();
  }
  DWORD returned = 0;
  DeviceIoControl(DeviceHandle, qvtouch::IOCTL_TOUCH_RELOAD_SETTINGS, nullptr, 0, nullptr, 0,
                  &returned, nullptr);
  CloseHandle(DeviceHandle);
  DeviceHandle = nullptr;
  return 0;
}

LONG CQuvoPanel::OnNewInquire(UINT /*uAppNum*/, NEWCPLINFO* pInfo) {
  FillItemInfo(pInfo, qvtouch::ui::LoadIconResource(kAppletIconResource), "QVTouch Settings",
               "QVTouch ControlPanel");
  return 0;
}

void CQuvoPanel::ShowInDialog(QUvoDlg1& dialog) const {
  dialog.m_sound.m_modeIndex = static_cast<int>(BeepMode);
  dialog.m_sound.m_frequency = static_cast<int>(BeepFreq1);
  dialog.m_sound.m_duration = static_cast<int>(BeepTime1);
  dialog.m_sound.m_device = DeviceHandle;
  dialog.m_mouse.m_modeIndex = static_cast<int>(MouseMode);
  dialog.m_mouse.m_field = DoubleClickHeight;
  dialog.m_mouse.m_speed = DoubleClickSpeed;
  dialog.m_mouse.m_delay = RBNDelay;
  dialog.m_comPort.m_portIndex = static_cast<int>(Port - 1);
  dialog.m_screenPos.m_placement = DoubleScreenPost;
}

void CQuvoPanel::TakeFromDialog(const QUvoDlg1& dialog) {
  BeepMode = static_cast<DWORD>(dialog.m_sound.m_modeIndex);
  BeepFreq1 = static_cast<DWORD>(dialog.m_sound.m_frequency);
  BeepFreq2 = BeepFreq1;
  BeepTime1 = static_cast<DWORD>(dialog.m_sound.m_duration);
  BeepTime2 = BeepTime1;
  MouseMode = static_cast<DWORD>(dialog.m_mouse.m_modeIndex);
  DoubleClickHeight = dialog.m_mouse.m_field;
  DoubleClickSpeed = dialog.m_mouse.m_speed;
  RBNDelay = dialog.m_mouse.m_delay;
  Port = static_cast<DWORD>(dialog.m_comPort.m_portIndex + 1);
  DoubleScreenPost = dialog.m_screenPos.m_placement;
}
