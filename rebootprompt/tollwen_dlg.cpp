#include "rebootprompt/tollwen_dlg.h"

#include "rebootprompt/calibration_schedule.h"
#include "rebootprompt/resource.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_STATIC,
     ControlKind::Text,
     "The install application must reboot system to complete the setup.Click OK to reboot system "
     "now,or CANCEL then reboot later.\n\n Would you like to reboot the system now ?",
     {27, 21, 234, 43}},
    {IDOK, ControlKind::DefaultPushButton, "Yes", {77, 79, 50, 16}},
    {IDCANCEL, ControlKind::PushButton, "No", {149, 79, 50, 16}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_TOLLWEN_DIALOG,
    "QVHWTOUCH SETUP",
    {278, 120},
    {"MS Shell Dlg", 9},
    kControls,
    {0, 0},
    {.Visible = true, .ShellFont = true, .AppWindow = true}};

}  // namespace

CTollwenDlg::CTollwenDlg() : CDialog(kTemplate) {}

BOOL CTollwenDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  qvtouch::rebootprompt::ScheduleCalibration();
  return TRUE;
}
