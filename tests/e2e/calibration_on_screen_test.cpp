// End to end: a person calibrates the touch screen. The driver host runs in this process with the
// XTest sink against the test's own Xvfb; the controller simulator, with a panel model, is on a
// pty; qvsercalib runs as a child process. The simulator touches each target where the screen
// shows it and then the confirmation dialog's button, a real click through the driver; after that
// a touch anywhere on the screen moves the pointer to within 2 pixels of the finger.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/capture.h"
#include "common/registry_paths.h"
#include "tests/platform/kernel_host/hosted_driver.h"
#include "tests/support/child_process.h"
#include "tests/support/store_values.h"
#include "tests/support/x_screen.h"
#include "tests/support/xvfb_server.h"

namespace qvtouch::platform {
namespace {

using namespace qvtouch::platform::testing;
using qvtouch::testing::ChildOptions;
using qvtouch::testing::ChildProcess;
using qvtouch::testing::ScreenPoint;
using qvtouch::testing::ScreenRect;
using qvtouch::testing::XScreen;
using qvtouch::testing::XvfbServer;

struct Pixel {
  int X;
  int Y;
  bool operator==(const Pixel&) const = default;
};

void PrintTo(const Pixel& pixel, std::ostream* out) {
  *out << "(" << pixel.X << ", " << pixel.Y << ")";
}

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// The targets on a 1024 x 768 screen: a quarter in from each edge, and 3/8 and 5/8 along the
// main diagonal.
constexpr Pixel kTopLeft{256, 192};
constexpr Pixel kDiagNear{384, 288};
constexpr Pixel kDiagFar{640, 480};
constexpr Pixel kBottomRight{768, 576};
constexpr Pixel kBottomLeft{256, 576};
constexpr Pixel kTopRight{768, 192};
constexpr Pixel kTargetPlaces[] = {kTopLeft,     kDiagNear,   kDiagFar,
                                   kBottomRight, kBottomLeft, kTopRight};
// The target's centre is its yellow disc.
constexpr std::uint32_t kTargetCentreColour = 0xFFFF00;

// The confirmation dialog, 159 x 59 dialog units: OK at (38, 38) and Cancel at (84, 38), each
// 38 x 13. Their centres, as shares of the dialog's size.
constexpr double kButtonY = (38 + 13 / 2.0) / 59;
constexpr double kOkX = (38 + 38 / 2.0) / 159;
constexpr double kCancelX = (84 + 38 / 2.0) / 159;

class CalibrationOnScreen : public HostedDriver {
 protected:
  void SetUp() override {
    HostedDriver::SetUp();
    server_ = std::make_unique<XvfbServer>(kWidth, kHeight);
    ASSERT_FALSE(server_->Name().empty()) << "Xvfb could not be started";
    setenv("DISPLAY", server_->Name().c_str(), 1);
    screen_ = std::make_unique<XScreen>(server_->Name());
    ASSERT_TRUE(screen_->Connected());
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)", "PointerSink",
                                     "xtest,recorder:" + PointerLog().string());
    // The driver's settings key, as its installation leaves it: the program stores into it but
    // never creates it.
    qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, std::string(kParametersKey), "Port", 1);
  }

  void TearDown() override {
    calibration_.reset();
    simulator_.reset();
    screen_.reset();
    HostedDriver::TearDown();
    server_.reset();
  }

  // The controller with its panel (the simulator's options), the driver host, and the program.
  void StartCalibration(std::vector<std::string> panel, const ChildOptions& options = {}) {
    StartDriver(std::move(panel));
    StartProgram(options);
  }

  void StartDriver(std::vector<std::string> panel) {
    std::vector<std::string> simulator{
        QVTOUCH_SIM_BINARY, "--pty",    Line(),
        "--linger",         "--screen", std::to_string(kWidth) + "x" + std::to_string(kHeight)};
    simulator.insert(simulator.end(), panel.begin(), panel.end());
    simulator_ = std::make_unique<ChildProcess>(simulator);
    Start();
    ASSERT_TRUE(WaitForSerialLink());
  }

  void StartProgram(const ChildOptions& options = {}) {
    ChildOptions program = options;
    program.Environment.push_back({"QT_QPA_PLATFORM", "xcb"});
    calibration_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{QVSERCALIB_BINARY}, program);
  }

  std::int32_t CaptureState() {
    const Call call = Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12);
    return call.Succeeded ? LoadS32(call.Output, 0) : 0;
  }

  void Touch(Pixel at) {
    simulator_->Input("touch " + std::to_string(at.X) + " " + std::to_string(at.Y) + "\n");
  }

  // Touches the four targets of one pass where the screen shows them, each once the driver waits
  // for its touch, and returns them in the order they showed.
  std::vector<Pixel> TouchShownTargets() {
    std::vector<Pixel> touched;
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(WaitUntil([this] { return CaptureState() == CaptureArmed; }))
          << "no target waits for a touch";
      // The target just touched may still show while the next is being drawn.
      std::optional<Pixel> shown;
      EXPECT_TRUE(WaitUntil([&] { return (shown = NewTargetShown(touched)).has_value(); }))
          << "no new target shows";
      if (!shown) return touched;
      Touch(*shown);
      touched.push_back(*shown);
      EXPECT_TRUE(WaitUntil([this] { return CaptureState() == CaptureReleased; }));
    }
    return touched;
  }

  std::optional<Pixel> NewTargetShown(const std::vector<Pixel>& touched) const {
    for (const Pixel& place : kTargetPlaces) {
      if (std::ranges::find(touched, place) == touched.end() &&
          screen_->ColourAt(place.X, place.Y) == kTargetCentreColour) {
        return place;
      }
    }
    return std::nullopt;
  }

  // Touches a button of the dialog with that title, once it shows.
  void TouchDialogButton(const std::string& title, double shareOfWidth) {
    std::optional<ScreenRect> dialog;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = screen_->WindowTitled(title)).has_value(); }))
        << "no dialog \"" << title << "\"";
    Touch({dialog->X + static_cast<int>(dialog->Width * shareOfWidth),
           dialog->Y + static_cast<int>(dialog->Height * kButtonY)});
  }

  Pixel PointerPosition() {
    const ScreenPoint pointer = screen_->PointerPosition();
    return {pointer.X, pointer.Y};
  }

  // After the calibration, touches across the screen land under the finger.
  void ExpectTouchesLandUnderTheFinger() {
    for (const Pixel& at : {Pixel{40, 40}, Pixel{512, 384}, Pixel{980, 60}, Pixel{100, 700},
                            Pixel{1000, 740}, Pixel{700, 300}}) {
      Touch(at);
      EXPECT_TRUE(WaitUntil(
          [&] {
            const Pixel now = PointerPosition();
            return std::abs(now.X - at.X) <= 2 && std::abs(now.Y - at.Y) <= 2;
          },
          std::chrono::seconds(3)))
          << "touched " << at.X << "," << at.Y << "; the pointer is at " << PointerPosition().X
          << "," << PointerPosition().Y;
    }
  }

  static std::optional<std::uint32_t> Stored(const char* name) {
    return qvtouch::testing::StoredDword(HKEY_LOCAL_MACHINE, std::string(kParametersKey), name);
  }

  // Calibrates with the targets the screen shows, confirms with OK, and expects the program to end.
  // Returns the targets.
  std::vector<Pixel> CalibrateAndConfirm() {
    const std::vector<Pixel> targets = TouchShownTargets();
    TouchDialogButton("Confirm Calibration", kOkX);
    EXPECT_EQ(calibration_->Wait(std::chrono::seconds(10)), 0);
    EXPECT_TRUE(Stored("XL").has_value());
    return targets;
  }

  std::unique_ptr<XvfbServer> server_;
  std::unique_ptr<XScreen> screen_;
  std::unique_ptr<ChildProcess> simulator_;
  std::unique_ptr<ChildProcess> calibration_;
};

const std::vector<Pixel> kDiagonal{kTopLeft, kDiagNear, kDiagFar, kBottomRight};
const std::vector<Pixel> kCorners{kTopLeft, kBottomRight, kBottomLeft, kTopRight};
// After a rejected trial the program asks the controller for its assisted mode again, with fewer
// attempts than at the start: a controller slow to answer (as the simulator can be on a loaded
// machine) gets the corner targets then.
const auto kEitherMethod = ::testing::AnyOf(kDiagonal, kCorners);

class TurnedPanel : public CalibrationOnScreen,
                    public ::testing::WithParamInterface<const char*> {};

TEST_P(TurnedPanel, CalibratesWithTheAssistedMethod) {
  StartCalibration({"--panel", "100,150,3900,3800", "--turn", GetParam()});
  EXPECT_EQ(CalibrateAndConfirm(), kDiagonal);
  ExpectTouchesLandUnderTheFinger();
}

INSTANTIATE_TEST_SUITE_P(Turns, TurnedPanel, ::testing::Values("0", "90", "180", "270"));

TEST_F(CalibrationOnScreen, ABentPanelIsStraightenedByTheLinearityValues) {
  StartCalibration({"--panel", "200,200,3900,3900", "--bend", "120"});
  EXPECT_EQ(CalibrateAndConfirm(), kDiagonal);
  ExpectTouchesLandUnderTheFinger();
}

TEST_F(CalibrationOnScreen, AControllerThatRefusesTheAssistedModeGetsTheCornerTargets) {
  StartCalibration({"--panel", "300,200,3800,3900", "--turn", "90", "--refuse-assisted"});
  EXPECT_EQ(CalibrateAndConfirm(), kCorners);
  ExpectTouchesLandUnderTheFinger();
}

TEST_F(CalibrationOnScreen, CancelShowsTheTargetsAgain) {
  StartCalibration({"--panel", "100,100,4000,4000"});
  EXPECT_EQ(TouchShownTargets(), kDiagonal);
  TouchDialogButton("Confirm Calibration", kCancelX);
  // The driver has its stored calibration back, and the targets come again.
  EXPECT_THAT(CalibrateAndConfirm(), kEitherMethod);
  ExpectTouchesLandUnderTheFinger();
}

TEST_F(CalibrationOnScreen, EscapeEndsTheProgramAndChangesNothing) {
  StartCalibration({});
  ASSERT_TRUE(WaitUntil([this] { return CaptureState() == CaptureArmed; }));
  screen_->PressKey("Escape");
  EXPECT_EQ(calibration_->Wait(std::chrono::seconds(10)), 0);
  EXPECT_FALSE(Stored("XL").has_value());
}

// The confirmation dialog owns the keyboard while it is open: Escape there is its Cancel, and the
// key's release must not reach the calibration window, which would end the program.
TEST_F(CalibrationOnScreen, EscapeInTheConfirmationDialogStartsANewPass) {
  StartCalibration({"--panel", "100,100,4000,4000"});
  EXPECT_EQ(TouchShownTargets(), kDiagonal);
  ASSERT_TRUE(
      WaitUntil([this] { return screen_->WindowTitled("Confirm Calibration").has_value(); }));
  // The dialog cancels on the key's press; the release comes after it has closed.
  screen_->KeyDown("Escape");
  ASSERT_TRUE(WaitUntil([this] { return !screen_->WindowTitled("Confirm Calibration"); }));
  screen_->KeyUp("Escape");
  EXPECT_FALSE(calibration_->Wait(std::chrono::milliseconds(500)).has_value())
      << "the key's release ended the program";
  EXPECT_THAT(CalibrateAndConfirm(), kEitherMethod);
  ExpectTouchesLandUnderTheFinger();
}

TEST_F(CalibrationOnScreen, AUserWhoMayNotWriteTheStoreIsToldAndNothingIsWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
  StartDriver({});
  // The user may read the store, and, for the test's sake, use the control device (which is for
  // the group qvtouch).
  chmod(root_.c_str(), 0755);
  chmod((root_ / "run/qvtouch/qvtouch.sock").c_str(), 0666);
  StartProgram(ChildOptions{{}, 65534, 65534});  // nobody
  EXPECT_EQ(TouchShownTargets(), kDiagonal);
  TouchDialogButton("Confirm Calibration", kOkX);
  TouchDialogButton("Error", kOkX);  // "To do this opration should have administrators privilege."
  EXPECT_EQ(calibration_->Wait(std::chrono::seconds(10)), 0);
  EXPECT_FALSE(Stored("XL").has_value());
}

}  // namespace
}  // namespace qvtouch::platform
