// The three programs as the platform runs them, driven from outside through their windows,
// without the touch driver installed.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/registry_paths.h"
#include "platform/ui/cpl.h"
#include "platform/ui/dialog_resource_win32.h"
#include "rebootprompt/tollwen_dlg.h"
#include "tests/windows/support/registry_values.h"
#include "tests/windows/support/started_program.h"
#include "tests/windows/support/window_driver.h"

namespace qvtouch::test {
namespace {

std::string Quoted(const std::string& path) {
  return '"' + path + '"';
}

// The command line that Tollwen schedules: the calibration program where the applet and RunOnce
// look for it, in quotes.
std::string ScheduledCalibration() {
  const std::optional<std::string> folder =
      ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey.data(), kProgramFilesDirValue.data());
  return Quoted(folder.value_or("") + R"(\QVSerTouch\qvsercalib.exe)");
}

std::optional<std::string> RunOnceCalibration() {
  return ReadText(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib");
}

// A way to decline the prompt, and the screenshot taken before it.
struct Declining {
  const char* Name;
  const char* Screenshot;
  void (*Decline)(HWND dialog);
};

class Tollwen : public ::testing::TestWithParam<Declining> {
 protected:
  void SetUp() override { DeleteValue(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib"); }
  void TearDown() override { DeleteValue(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib"); }
};

// "No", and Escape, end the prompt: the calibration stays scheduled, and nothing restarts (a
// restart under Wine would end this test program too).
TEST_P(Tollwen, DecliningKeepsTheScheduledCalibrationAndRestartsNothing) {
  StartedProgram tollwen(Quoted(HostPath(TOLLWEN_PATH)));
  ASSERT_TRUE(tollwen.Started());
  HWND dialog = WaitForWindow("QVHWTOUCH SETUP");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDOK), "Yes");
  EXPECT_EQ(ControlText(dialog, IDCANCEL), "No");
  EXPECT_EQ(RunOnceCalibration(), ScheduledCalibration()) << "scheduled as the dialog opens";
  const auto style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  EXPECT_EQ(style & DS_SHELLFONT, static_cast<DWORD>(DS_SHELLFONT));
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW)
      << "a taskbar button, though it has no owner";
  SaveScreenshot(dialog, GetParam().Screenshot);

  GetParam().Decline(dialog);
  EXPECT_EQ(tollwen.WaitForExit(20s), 0u);
  EXPECT_EQ(RunOnceCalibration(), ScheduledCalibration());
}

INSTANTIATE_TEST_SUITE_P(
    NoAndEscape, Tollwen,
    ::testing::Values(
        Declining{"No", "tollwen", [](HWND dialog) { PressButton(dialog, IDCANCEL); }},
        Declining{"Escape", "tollwen-escape", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }}),
    [](const ::testing::TestParamInfo<Declining>& info) { return std::string(info.param.Name); });

// The prompt's template asks to be shown as it is created, whoever runs it.
TEST(TollwenTemplate, IsAVisiblePopupInTheShellFontWithATaskbarButton) {
  const CTollwenDlg dialog;
  const std::vector<WORD> resource =
      ui::BuildDialogResource(dialog.Template(), ui::DialogFrame::Popup);
  const auto* header = reinterpret_cast<const DLGTEMPLATE*>(resource.data());
  const DWORD expected =
      WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT;
  EXPECT_EQ(header->style, expected);
  EXPECT_EQ(header->dwExtendedStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(header->x, 0);
  EXPECT_EQ(header->y, 0);
}

TEST(Qvsercalib, WithoutTheDriverSaysSoAndEnds) {
  StartedProgram calibration(Quoted(HostPath(QVSERCALIB_PATH)));
  ASSERT_TRUE(calibration.Started());
  HWND message = WaitForWindow("Comment");
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(ControlText(message, 1001),
            "The driver is not installed yet,\ninstall it then tray later.");
  SaveScreenshot(message, "qvsercalib-no-driver");
  PressButton(message, IDOK);
  EXPECT_EQ(calibration.WaitForExit(20s), 0u);
}

TEST(QVTcpl, OpenedFromTheControlPanelWithoutTheDriverSaysSo) {
  StartedProgram control("control.exe " + Quoted(HostPath(QVTCPL_PATH)));
  ASSERT_TRUE(control.Started());
  HWND box = WaitForWindow("Error");
  ASSERT_NE(box, nullptr);
  const std::vector<std::string> texts = StaticTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Driver is not installed!"), texts.end());
  SaveScreenshot(box, "qvtcpl-no-driver");
  PressButton(box, "OK");
  EXPECT_EQ(control.WaitForExit(20s), 0u);
  EXPECT_EQ(FindWindowA(nullptr, "TouchScreen Control Panel"), nullptr);
}

// The applet library as the Control Panel sees it.
class AppletLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryA(HostPath(QVTCPL_PATH).c_str());
    ASSERT_NE(library_, nullptr);
    applet_ = reinterpret_cast<APPLET_PROC>(
        reinterpret_cast<void*>(GetProcAddress(library_, "CPlApplet")));
    ASSERT_NE(applet_, nullptr);
  }
  void TearDown() override {
    if (library_ != nullptr) FreeLibrary(library_);
  }

  LONG Send(UINT message, LPARAM first = 0, LPARAM second = 0) {
    return applet_(nullptr, message, first, second);
  }

  HMODULE library_ = nullptr;
  APPLET_PROC applet_ = nullptr;
};

TEST_F(AppletLibrary, HasOneItemThatItDescribesWithItsIcon) {
  EXPECT_EQ(Send(CPL_INIT), 1);
  EXPECT_EQ(Send(CPL_GETCOUNT), 1);
  NEWCPLINFOA info{};
  EXPECT_EQ(Send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.dwSize, sizeof(NEWCPLINFOA));
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(info.dwHelpContext, 0u);
  EXPECT_EQ(info.lData, 0);
  EXPECT_STREQ(info.szName, "QVTouch Settings");
  EXPECT_STREQ(info.szInfo, "QVTouch ControlPanel");
  EXPECT_STREQ(info.szHelpFile, "");
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(info.hIcon, &icon)) << "icon resource 4001";
  BITMAP picture{};
  GetObjectA(icon.hbmColor, sizeof picture, &picture);
  EXPECT_EQ(picture.bmWidth, 32);
  DeleteObject(icon.hbmColor);
  DeleteObject(icon.hbmMask);
  EXPECT_EQ(Send(CPL_STOP), 1);
  EXPECT_EQ(Send(CPL_EXIT), 0);
}

TEST_F(AppletLibrary, LeavesTheOldInquiryAloneAndAnswersUnknownMessagesWithOne) {
  CPLINFO info{7, 8, 9, 10};
  EXPECT_EQ(Send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idIcon, 7);
  EXPECT_EQ(info.idName, 8);
  EXPECT_EQ(info.idInfo, 9);
  EXPECT_EQ(info.lData, 10);
  EXPECT_EQ(Send(0), 1);
  EXPECT_EQ(Send(11), 1);
  EXPECT_EQ(Send(CPL_STARTWPARMSA), 0) << "so that the Control Panel opens the item";
  EXPECT_EQ(Send(CPL_STARTWPARMSW), 0);
}

}  // namespace
}  // namespace qvtouch::test
