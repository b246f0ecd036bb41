// The system as QVTouchSetup.exe installs it, run as a person runs it into this session's fresh
// prefix (installer_test.sh runs it silently), with the driver answering: the applet opened through
// the Control Panel, and the calibration program. The test stores a Port that names no COM port
// before the installer runs (under Wine the driver's first request to a COM port ends it), and
// never presses the test-tone button (Wine's HalMakeBeep ends the driver too).
#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "cpl/resource.h"
#include "platform/ui/win_ui.h"
#include "tests/windows/support/registry_values.h"
#include "tests/windows/support/screenshot.h"
#include "tests/windows/support/started_program.h"
#include "tests/windows/support/window_driver.h"

namespace qvtouch::test {
namespace {

constexpr const char* kSettings = "TouchScreen Control Panel";
constexpr const char* kCalibrationTitle = "QUVO TOUCH CALIBRAY";
constexpr const char* kCalibrationClass = "QVTCALIBA";
// The first target waits for the controller's handshake: five enter commands that fail at once
// without a COM port, each followed by 2050 ms.
constexpr auto kHandshake = 30s;

std::string Quoted(const std::string& path) {
  return '"' + path + '"';
}

// A 32-bit number the driver answers a get request with; nullopt when it does not answer.
std::optional<std::uint32_t> DriverValue(std::uint32_t request) {
  HANDLE device = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  std::uint32_t value = 0;
  DWORD returned = 0;
  const BOOL answered =
      DeviceIoControl(device, request, nullptr, 0, &value, sizeof value, &returned, nullptr);
  CloseHandle(device);
  return answered && returned == sizeof value ? std::optional(value) : std::nullopt;
}

std::optional<DWORD> Setting(const char* name) {
  return ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), name);
}

bool StoreSetting(const char* name, DWORD value) {
  return WriteDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), name, value);
}

// Where the programs are installed: under ProgramFilesDir as this program, of their bitness, reads
// it.
std::string InstalledProgram(const char* name) {
  return ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey.data(), kProgramFilesDirValue.data())
             .value_or("") +
         R"(\QVSerTouch\)" + name;
}

// Installs the system once for all the tests: a Port that opens nothing first, then the installer
// in its window; its last step, Tollwen, is answered No, and its finished page closed.
class InstalledSystem : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(StoreSetting("Port", 0));
    StartedProgram installer(Quoted(HostPath(QVTOUCH_INSTALLER)));
    HWND prompt = WaitForWindow("QVHWTOUCH SETUP", nullptr, 60s);
    ASSERT_NE(prompt, nullptr) << "Tollwen runs as the installation's last step";
    PressButton(prompt, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(prompt));
    HWND setup = WaitForWindow("QVTouch " QVTOUCH_VERSION " Setup: Completed");
    ASSERT_NE(setup, nullptr);
    PressButton(setup, IDOK);  // "Close"
    ASSERT_EQ(installer.WaitForExit(20s), 0u);
  }
};

const auto* const kInstalledSystem = ::testing::AddGlobalTestEnvironment(new InstalledSystem);

TEST(Installation, TheDriverAnswersWithTheStoredSettings) {
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_SCREEN_POST), 16u);
  EXPECT_EQ(Setting("Port"), 0u) << "the stored Port kept";
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib"),
            Quoted(InstalledProgram("qvsercalib.exe")))
      << "Tollwen scheduled the installed calibration program";
}

// The applet as the Control Panel runs it, found where it finds the applets of its bitness.
class AppletThroughTheControlPanel : public ::testing::Test {
 protected:
  void Open() {
    control_ = std::make_unique<StartedProgram>("control.exe QVTcpl.cpl");
    dialog_ = WaitForWindow(kSettings);
    ASSERT_NE(dialog_, nullptr);
    sheet_ = FindWindowExA(dialog_, nullptr, "#32770", nullptr);
    ASSERT_NE(sheet_, nullptr);
  }
  // Shows a page, as a click on its tab does, and returns it.
  HWND Page(int index) {
    SendMessageA(sheet_, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  // Chooses a list entry as the user does: the list tells its page.
  static void Choose(HWND page, int id, int index) {
    SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  }
  void Close(int button) {
    PressButton(dialog_, button);
    EXPECT_EQ(control_->WaitForExit(20s), 0u);
  }

  std::unique_ptr<StartedProgram> control_;
  HWND dialog_ = nullptr;
  HWND sheet_ = nullptr;
};

TEST_F(AppletThroughTheControlPanel, ShowsTheSixPages) {
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0)),
                         TCM_GETITEMCOUNT, 0, 0),
            6);
  const char* titles[] = {"Calibration",      "Sound setting",    "Mouse setting",
                          "COM port select ", "Screen Placement", " About"};
  for (int index = 0; index < 6; ++index) {
    HWND page = Page(index);
    EXPECT_EQ(WindowText(page), titles[index]);
    SaveScreenshot(dialog_, "installed-applet-page-" + std::to_string(index + 1));
  }
  Close(IDCANCEL);
}

TEST_F(AppletThroughTheControlPanel, OkStoresThePagesValuesAndTheDriverReloadsThem) {
  ASSERT_NO_FATAL_FAILURE(Open());
  Choose(Page(2), IDC_MOUSE_MODE, 2);    // "Dragging "
  Choose(Page(2), IDC_RIGHT_DELAY, 11);  // "2.5s"
  SendDlgItemMessageA(Page(4), IDC_ON_TOP, BM_CLICK, 0, 0);
  Close(IDOK);
  EXPECT_EQ(Setting("MouseMode"), 2u);
  EXPECT_EQ(Setting("RBNDelay"), 240u);
  EXPECT_EQ(Setting("DoubleScreenPost"), 19u);
  EXPECT_EQ(Setting("Port"), 0u) << "a port list left without a choice stores no port";
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 2u) << "reloaded";
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_RBN_DELAY), 240u) << "reloaded";
}

TEST_F(AppletThroughTheControlPanel, CancelStoresNothingAndTheDriverStillReloads) {
  // A value the driver has not loaded yet: after the dialog, the driver has it.
  ASSERT_TRUE(StoreSetting("RBNDelay", 96));
  ASSERT_NO_FATAL_FAILURE(Open());
  Choose(Page(3), IDC_PORT, 1);  // chosen, and not stored: no COM port is ever opened here
  Choose(Page(2), IDC_RIGHT_DELAY, 0);
  Close(IDCANCEL);
  EXPECT_EQ(Setting("Port"), 0u);
  EXPECT_EQ(Setting("RBNDelay"), 96u);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_RBN_DELAY), 96u) << "reloaded all the same";
}

TEST(CalibrationProgram, FullScreenWithTheFirstTargetOnceAndEscapeEndsAfterTheReload) {
  StartedProgram calibration(Quoted(InstalledProgram("qvsercalib.exe")));
  HWND window = WaitForWindow(kCalibrationTitle, kCalibrationClass);
  ASSERT_NE(window, nullptr);
  RECT area{};
  GetWindowRect(window, &area);
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, width);
  EXPECT_EQ(area.bottom, height);
  // The first target's yellow centre, at a quarter of the width and height, after the handshake.
  const auto deadline = std::chrono::steady_clock::now() + kHandshake;
  while (ScreenPixel(width / 4, height / 4) != RGB(255, 255, 0) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ(ScreenPixel(width / 4, height / 4), RGB(255, 255, 0)) << "the first target";
  EXPECT_TRUE(RowShowsMoreThan(3 * height / 8 + 8, width / 4, 3 * width / 4,
                               ScreenPixel(width / 2, height - 1)))
      << "the instruction text on the background";
  SaveScreenshot(window, "installed-calibration");

  // A second start brings the first to the front and ends.
  StartedProgram second(Quoted(InstalledProgram("qvsercalib.exe")));
  EXPECT_EQ(second.WaitForExit(20s), 0u);
  EXPECT_EQ(FindWindowExA(nullptr, window, kCalibrationClass, kCalibrationTitle), nullptr)
      << "one calibration window";

  ASSERT_TRUE(StoreSetting("RBNDelay", 144));
  PressKey(window, VK_ESCAPE);
  EXPECT_EQ(calibration.WaitForExit(20s), 0u);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_RBN_DELAY), 144u) << "reloaded before it ended";
}

// Installed again with no questions, as an unattended installation runs it: the calibration is
// scheduled as Tollwen schedules it, and nothing waits for an answer.
TEST(SilentInstallation, SchedulesTheCalibrationAndAsksNothing) {
  DeleteValue(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib");
  StartedProgram installer(Quoted(HostPath(QVTOUCH_INSTALLER)) + " /S");
  ASSERT_EQ(installer.WaitForExit(60s), 0u);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRunOnceKey.data(), "qvsercalib"),
            Quoted(InstalledProgram("qvsercalib.exe")));
  EXPECT_EQ(WaitForWindow("QVHWTOUCH SETUP", nullptr, 3s), nullptr) << "no Tollwen asks";
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_SCREEN_POST), 16u) << "the driver runs again";
}

}  // namespace
}  // namespace qvtouch::test
