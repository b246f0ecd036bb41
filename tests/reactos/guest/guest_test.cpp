// The installed system on a real NT kernel: this program runs inside ReactOS, started by the
// logon in place of userinit (tests/reactos/run), with qvtouch.sys started at boot, the controller
// simulator on COM2's line on the other side, and the speaker recorded there. It talks to the
// runner only through the debug port (debug_port.h): requests for touches and controllers, what
// the pointer did, and its results. The pointer's and the speaker's records are checked on the
// other side (tests/reactos/session_test.cpp).
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>

#include "common/capture.h"
#include "common/controller_commands.h"
#include "common/little_endian.h"
#include "common/records.h"
#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "common/setting_values.h"
#include "cpl/resource.h"
#include "tests/reactos/guest/debug_port.h"
#include "tests/reactos/guest/pointer_window.h"
#include "tests/reactos/guest/touch_device.h"
#include "tests/reactos/session_plan.h"
#include "tests/windows/support/registry_values.h"
#include "tests/windows/support/started_program.h"
#include "tests/windows/support/window_driver.h"

namespace qvtouch::test {
namespace {

using namespace qvtouch::testing::reactos;
using qvtouch::testing::kBracketFrequency;
using qvtouch::testing::kBracketMs;

constexpr const char* kService = "QVTouch";
constexpr const char* kCalibrationTitle = "QUVO TOUCH CALIBRAY";
constexpr const char* kCalibrationClass = "QVTCALIBA";
constexpr const char* kSettings = "TouchScreen Control Panel";
// Software emulation is slow: these only keep a broken run from hanging.
constexpr auto kLineUp = 30s;
constexpr auto kTouchArrives = 20s;
constexpr auto kProgramStep = 60s;

int ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

std::string Number(long value) {
  return std::to_string(value);
}

// The controller simulator on the other side of COM2, with a panel over this screen.
void StartController(const std::string& options = {}) {
  AskHost("controller --screen " + Number(ScreenWidth()) + "x" + Number(ScreenHeight()) +
          (options.empty() ? "" : " " + options));
}

// A touch of the simulated panel at a screen pixel.
void Touch(POINT at) {
  AskHost("script touch " + Number(at.x) + " " + Number(at.y));
}

// The controller's answer to "read parameters", through the driver's pass-through request: the
// command written to COM2 and the reply read back byte by byte.
Reply ReadControllerParameters() {
  CommandRecord command;
  std::copy(kReadParameters.begin(), kReadParameters.end(), command.CommandBytes.begin());
  command.SendCount = kReadParameters.size();
  command.ReplyCount = kParametersReplySize;
  const auto input = command.Encode();
  return Control(IOCTL_TOUCH_PASS_THROUGH, input, kParametersReplySize);
}

// Waits until the controller (just started or restarted) answers on the line with its linearity
// values, uncorrected. A reply that is not all there is a time-out, which the platform reports
// as a success; its late bytes may still come while the next one is awaited, so the attempts
// are a second apart.
bool ControllerAnswers() {
  return WaitUntil(
      [] {
        const Reply reply = ReadControllerParameters();
        if (reply.Output.size() == kParametersReplySize &&
            LoadU16(reply.Output, kParametersReplyXOffset) == kNoLinearityCorrection &&
            LoadU16(reply.Output, kParametersReplyYOffset) == kNoLinearityCorrection) {
          return true;
        }
        Sleep(1000);
        return false;
      },
      kLineUp);
}

bool SetBeep(const BeepRecord& beep) {
  const auto input = beep.Encode();
  return Control(IOCTL_TOUCH_SET_BEEP, input).Succeeded;
}

// A test beep of the driver's at that tone, and the time it takes with some silence after it.
void SoundTestBeep(std::uint32_t frequency, std::uint32_t milliseconds) {
  ASSERT_TRUE(SetBeep({kBeepNone, frequency, milliseconds, 2000, 40}));
  ASSERT_TRUE(Control(IOCTL_TOUCH_BEEP).Succeeded);
  Sleep(milliseconds + 400);
}

std::string InstalledProgram(const char* name) {
  return ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey.data(), kProgramFilesDirValue.data())
             .value_or("") +
         R"(\QVSerTouch\)" + name;
}

POINT Centre(HWND window) {
  RECT area{};
  GetWindowRect(window, &area);
  return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

// Touches each target where the calibration shows it, once the driver's capture waits for it.
// The touch has arrived when the capture leaves the armed state (its press, which takes a report
// time and more, is seen); a touch whose press the port lost (ReactOS's serial.sys drops bytes
// when its readers fall behind) leaves it armed, and the finger comes down again.
void TouchTargets(std::initializer_list<POINT> targets) {
  constexpr int kAttempts = 3;
  for (const POINT& target : targets) {
    ASSERT_TRUE(WaitUntil([] { return CaptureState() == CaptureArmed; }, kProgramStep))
        << "no target waits for a touch at " << target.x << "," << target.y;
    bool arrived = false;
    for (int attempt = 0; attempt < kAttempts && !arrived; ++attempt) {
      Touch(target);
      arrived = WaitUntil(
          [] {
            const auto state = CaptureState();
            return state && *state != CaptureArmed;
          },
          5s);
    }
    ASSERT_TRUE(arrived) << "the touch at " << target.x << "," << target.y
                         << " did not reach the capture";
  }
}

// Confirms the calibration with a touch on the dialog's OK, a click through the driver.
void TouchConfirmation() {
  HWND dialog = WaitForWindow("Confirm Calibration", nullptr, kProgramStep);
  ASSERT_NE(dialog, nullptr) << "no confirmation";
  Touch(Centre(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(WaitUntilGone(dialog, kProgramStep));
}

// After a calibration, touches across the screen land under the finger.
void ExpectTouchesLandUnderTheFinger() {
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  for (const POINT at : {POINT{width / 20, height / 20}, POINT{width / 2, height / 2},
                         POINT{width - width / 20, height / 10},
                         POINT{width / 8, height - height / 12}}) {
    Touch(at);
    POINT now{};
    EXPECT_TRUE(WaitUntil(
        [&] {
          GetCursorPos(&now);
          return std::abs(now.x - at.x) <= 2 && std::abs(now.y - at.y) <= 2;
        },
        kTouchArrives))
        << "touched " << at.x << "," << at.y << "; the pointer is at " << now.x << "," << now.y;
  }
}

// The calibration targets: a quarter in from each edge, and 3/8 and 5/8 along the diagonal.
POINT Target(int eighthsX, int eighthsY) {
  return {ScreenWidth() * eighthsX / 8, ScreenHeight() * eighthsY / 8};
}

TEST(Installation, TheDriverStartedAtBootAsItsServiceSays) {
  Say(std::string(kScreenLine) + Number(ScreenWidth()) + " " + Number(ScreenHeight()));
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(manager, nullptr);
  SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
  ASSERT_NE(service, nullptr) << GetLastError();
  SERVICE_STATUS status{};
  EXPECT_TRUE(QueryServiceStatus(service, &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  std::vector<std::uint8_t> buffer(8192);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigA(service, config, buffer.size(), &needed));
  EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_SYSTEM_START));
  EXPECT_STREQ(config->lpLoadOrderGroup, "Pointer Port");
  CloseServiceHandle(service);
  CloseServiceHandle(manager);

  // The settings as installed, for the checks on the other side, and the driver holding them.
  HKEY parameters = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParametersKey.data(), 0, KEY_QUERY_VALUE,
                          &parameters),
            ERROR_SUCCESS);
  for (DWORD index = 0;; ++index) {
    char name[64];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegEnumValueA(parameters, index, name, &nameLength, nullptr, &type,
                      reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
      break;
    }
    if (type == REG_DWORD) Say(std::string(kSettingLine) + name + " " + Number(value));
  }
  RegCloseKey(parameters);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_SCREEN_POST),
            ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), "ScreenPost"));
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE),
            ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), "MouseMode"));
  const Reply beep = Control(IOCTL_TOUCH_GET_BEEP, {}, BeepRecord::kSize);
  ASSERT_TRUE(beep.Succeeded);
  ASSERT_EQ(beep.Output.size(), BeepRecord::kSize);
  EXPECT_EQ(BeepRecord::Decode(std::span<const std::uint8_t, BeepRecord::kSize>(beep.Output))
                .BeepMode,
            ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), "BeepMode"));
}

TEST(SerialLink, TheControllerAnswersThroughCom2) {
  // The driver has the port: nobody else may open it.
  HANDLE port = CreateFileA(R"(\\.\COM2)", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  EXPECT_EQ(port, INVALID_HANDLE_VALUE) << "COM2 is not the driver's";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);

  StartController();
  EXPECT_TRUE(ControllerAnswers()) << "no answer on COM2";
}

TEST(Pointer, TheDemoSessionMovesAndClicksTheCursor) {
  PointerWindow window;
  ASSERT_TRUE(window.Shown());
  AskHost("session demo");
  // Its three touches click the left button where they land (ClickOnPress) and the one held
  // still clicks the right button: eight button messages.
  const auto& messages = window.Collect(8, 3s, 60s);
  for (const MouseMessage& message : messages) {
    Say(std::string(kPointerLine) + message.Kind + " " + Number(message.X) + " " +
        Number(message.Y));
  }
  EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                          [](const MouseMessage& m) { return m.Kind != "move"; }),
            8);
}

TEST(Speaker, TheTouchBeepAndTheTestBeepSound) {
  SoundTestBeep(kBracketFrequency, kBracketMs);
  ASSERT_TRUE(SetBeep({kBeepOnRelease, kTouchBeepFrequency, kTouchBeepMs, 2000, 40}));
  const auto pointer = [] { return Control(IOCTL_TOUCH_GET_POINTER, {}, 12).Output; };
  const auto before = pointer();
  AskHost("script tap 2048 2048");
  // The tap has arrived once the driver has sent its click.
  EXPECT_TRUE(WaitUntil([&] { return pointer() != before; }, kTouchArrives));
  Sleep(kTouchBeepMs + 1500);  // the lift-off, the beep and some silence after it
  SoundTestBeep(kTestBeepFrequency, kTestBeepMs);
  SoundTestBeep(kBracketFrequency, kBracketMs);
  EXPECT_TRUE(Control(IOCTL_TOUCH_RELOAD_SETTINGS).Succeeded);
}

TEST(Calibration, TheAssistedMethodIsStoredAndReloaded) {
  StartController("--panel 100,150,3900,3800");
  ASSERT_TRUE(ControllerAnswers());
  StartedProgram calibration('"' + InstalledProgram("qvsercalib.exe") + '"');
  ASSERT_NE(WaitForWindow(kCalibrationTitle, kCalibrationClass, kProgramStep), nullptr);
  ASSERT_NO_FATAL_FAILURE(TouchTargets({Target(2, 2), Target(3, 3), Target(5, 5), Target(6, 6)}));
  ASSERT_NO_FATAL_FAILURE(TouchConfirmation());
  EXPECT_EQ(calibration.WaitForExit(kProgramStep), 0u);
  for (const char* name : {"Xc", "XL", "Yc", "YL", "Shp", "Shs", "Svp", "Svs"}) {
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), name)) << name;
  }
  ASSERT_TRUE(Control(IOCTL_TOUCH_RELOAD_SETTINGS).Succeeded);
  ExpectTouchesLandUnderTheFinger();
}

// The applet through the Control Panel: its Calibrate button runs the calibration, here against
// a controller that refuses the assisted mode, and OK stores its pages' values.
TEST(Applet, CalibratesWithTheCornerTargetsAndStoresItsPages) {
  StartController("--refuse-assisted --panel 300,200,3800,3900 --turn 90");
  ASSERT_TRUE(ControllerAnswers());
  StartedProgram control("control.exe QVTcpl.cpl");
  HWND dialog = WaitForWindow(kSettings, nullptr, kProgramStep);
  ASSERT_NE(dialog, nullptr);
  HWND sheet = FindWindowExA(dialog, nullptr, "#32770", nullptr);
  ASSERT_NE(sheet, nullptr);
  const auto page = [&](int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  };
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)),
                         TCM_GETITEMCOUNT, 0, 0),
            6);

  PressButton(page(0), IDC_CALIBRATE);
  HWND calibration = WaitForWindow(kCalibrationTitle, kCalibrationClass, kProgramStep);
  ASSERT_NE(calibration, nullptr) << "the Calibrate button started no calibration";
  // Five refused enter commands, then the corners.
  ASSERT_NO_FATAL_FAILURE(TouchTargets({Target(2, 2), Target(6, 6), Target(2, 6), Target(6, 2)}));
  ASSERT_NO_FATAL_FAILURE(TouchConfirmation());
  EXPECT_TRUE(WaitUntilGone(calibration, kProgramStep));

  HWND mouse = page(2);
  SendDlgItemMessageA(mouse, IDC_MOUSE_MODE, CB_SETCURSEL, 2, 0);  // "Dragging "
  SendMessageA(mouse, WM_COMMAND, MAKEWPARAM(IDC_MOUSE_MODE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(mouse, IDC_MOUSE_MODE)));
  PressButton(dialog, IDOK);
  // (The Control Panel may have handed the applet to a process of its own: the dialog tells.)
  EXPECT_TRUE(WaitUntilGone(dialog, kProgramStep));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), "MouseMode"), 2u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), "Port"), 2u);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 2u) << "reloaded";
  ExpectTouchesLandUnderTheFinger();
}

}  // namespace
}  // namespace qvtouch::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new qvtouch::test::DebugPortPrinter);
  return RUN_ALL_TESTS();
}
