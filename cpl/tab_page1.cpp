#include "cpl/tab_page1.h"

#include <array>
#include <cstring>
#include <string_view>

#include "common/program_paths.h"
#include "common/registry_paths.h"
#include "cpl/resource.h"
#include "platform/programs/programs.h"
#include "platform/registry/winreg.h"
#include "platform/ui/data_exchange.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Text, "Calibrate your touchscreen when :", {29, 24, 151, 13}},
    {IDC_CALIBRATE, ControlKind::PushButton, "Calibrate", {90, 123, 58, 24}},
    {IDC_STATIC, ControlKind::Text, "A.Initially install ", {38, 47, 149, 8}},
    {IDC_STATIC, ControlKind::Text, "B.Change the touchmonitor video image", {38, 63, 149, 8}},
    {IDC_STATIC, ControlKind::Text, "D.Move or resize touchmonitor video image", {38, 105, 149, 8}},
    {IDC_STATIC,
     ControlKind::Text,
     "C.Notice the cursor isn't lined up\n  with you finger",
     {38, 79, 149, 18}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_CALIBRATION, "Calibration", {239, 159}, {"MS Sans Serif", 10}, kControls};

constexpr LPCSTR kNotFound = "Can't fine qvsercalib.exe file.";

}  // namespace

TabPage1::TabPage1() : CPropertyPage(kTemplate) {
  MapCommand(BN_CLICKED, IDC_CALIBRATE, &TabPage1::OnCalibrate);
}

void TabPage1::DoDataExchange(qvtouch::ui::CDataExchange* pDX) {
  DDX_Control(pDX, IDC_CALIBRATE, m_calibrate);
}

void TabPage1::OnCalibrate() {
  std::array<char, qvtouch::kMaxPath> path{};
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, qvtouch::kCurrentVersionKey.data(), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    MessageBox(kNotFound);
    return;
  }
  // The last byte stays zero, so the folder's text is always terminated.
  DWORD size = path.size() - 1;
  const LSTATUS read = RegQueryValueExA(key, qvtouch::kProgramFilesDirValue.data(), nullptr,
                                        nullptr, reinterpret_cast<LPBYTE>(path.data()), &size);
  RegCloseKey(key);
  // A folder whose program path would not fit the path buffer names no program this page can
  // start: the same message as for a missing key.
  const std::string_view program = qvtouch::kCalibrationProgramPath;
  const std::size_t folder = std::strlen(path.data());
  if (read == ERROR_MORE_DATA || folder + program.size() >= path.size()) {
    MessageBox(kNotFound);
    return;
  }
  program.copy(path.data() + folder, program.size());
  // As the platform's WinExec: the result is not examined.
  qvtouch::platform::StartProgram(path.data());
}
