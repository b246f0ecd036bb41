#include <gtest/gtest.h>

#include <ostream>

#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::Report;

// A record as the class driver receives it; positions here equal raw values (see Emulation).
struct Record {
  std::uint16_t Buttons;
  std::int32_t X;
  std::int32_t Y;
  bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Record& r) {
  return out << "{buttons " << r.Buttons << " at " << r.X << "," << r.Y << "}";
}

constexpr std::uint16_t M = 0;
constexpr std::uint16_t LD = MOUSE_LEFT_BUTTON_DOWN;
constexpr std::uint16_t LU = MOUSE_LEFT_BUTTON_UP;
constexpr std::uint16_t RD = MOUSE_RIGHT_BUTTON_DOWN;
constexpr std::uint16_t RU = MOUSE_RIGHT_BUTTON_UP;

// A calibration under which a pointer position equals the raw value (centre 32768, span 65536),
// so the jitter window is 4 units wide on each side.
DriverHarness::Settings IdentitySettings(std::uint32_t mouseMode, std::uint32_t buttonMode = 0) {
  return {{"Xc", 32768}, {"XL", 65536},          {"Yc", 32768},
          {"YL", 65536}, {"MouseMode", mouseMode}, {"ButtonMode", buttonMode}};
}

class Emulation : public ::testing::Test {
 protected:
  void Start(const DriverHarness::Settings& settings) {
    harness = std::make_unique<DriverHarness>(settings);
    harness->Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  }
  void Touch(TouchStatus status, std::uint16_t x, std::uint16_t y) {
    harness->Deliver(Report(status, x, y));
  }
  void Press(std::uint16_t x, std::uint16_t y) { Touch(TouchStatus::Press, x, y); }
  void Hold(std::uint16_t x, std::uint16_t y, int count = 1) {
    for (int i = 0; i < count; ++i) Touch(TouchStatus::Hold, x, y);
  }
  void Release(std::uint16_t x, std::uint16_t y) { Touch(TouchStatus::Release, x, y); }
  void Tap(std::uint16_t x, std::uint16_t y) {
    Press(x, y);
    Hold(x, y, 2);
    Release(x, y);
  }

  // The records sent since the last call.
  std::vector<Record> Sent() {
    std::vector<Record> records;
    for (const MOUSE_INPUT_DATA& r : harness->Sent) {
      EXPECT_EQ(r.Flags, MOUSE_MOVE_ABSOLUTE);
      EXPECT_EQ(r.UnitId, 0);
      EXPECT_EQ(r.RawButtons, 0u);
      records.push_back({r.ButtonFlags, r.LastX, r.LastY});
    }
    harness->Sent.clear();
    return records;
  }

  std::unique_ptr<DriverHarness> harness;
};

TEST_F(Emulation, ClickOnPressClicksAtTouchDownAndThenOnlyMoves) {
  Start(IdentitySettings(kClickOnPress));
  Tap(100, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{{LD, 100, 200}, {LU, 100, 200}, {M, 100, 200}}));
  Press(300, 200);
  Hold(310, 200);
  Release(310, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{{LD, 300, 200}, {LU, 300, 200}, {M, 310, 200}}));
}

TEST_F(Emulation, ClickOnReleaseMovesOnPressAndClicksAtLiftOff) {
  Start(IdentitySettings(kClickOnRelease));
  Press(100, 200);
  Hold(100, 200, 2);
  Release(102, 201);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 100, 200}, {LD, 102, 201}, {LU, 102, 201}}));
}

TEST_F(Emulation, DraggingTapGoesDownAndUpAtTheTouchPoint) {
  Start(IdentitySettings(kDragging));
  Press(100, 200);
  Release(101, 200);
  EXPECT_EQ(Sent(),
            (std::vector<Record>{{M, 100, 200}, {LD, 100, 200}, {LU, 100, 200}, {M, 100, 200}}));
}

TEST_F(Emulation, DraggingReleasesAtTheLastPositionSentNotAtTheLiftOffJitter) {
  Start(IdentitySettings(kDragging));
  Press(100, 200);
  Hold(200, 200);
  Hold(300, 200);
  Hold(302, 201);  // inside the window: not sent
  Release(303, 202);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 100, 200},
                                         {LD, 100, 200},
                                         {M, 200, 200},
                                         {M, 300, 200},
                                         {LU, 300, 200},
                                         {M, 300, 200}}));
  EXPECT_EQ(harness->Control(IOCTL_TOUCH_GET_POINTER, {}, 12).Output,
            testing::Concat({testing::U32(M), testing::U32(300), testing::U32(200)}))
      << "the readout shows the restored anchor";
}

TEST_F(Emulation, DragAndDoubleClickTapIsADoubleClick) {
  Start(IdentitySettings(kDragAndDoubleClick));
  Press(100, 200);
  Release(100, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 100, 200},
                                         {LD, 100, 200},
                                         {LU, 100, 200},
                                         {M, 100, 200},
                                         {LD, 100, 200},
                                         {LU, 100, 200},
                                         {M, 100, 200}}));
}

TEST_F(Emulation, RightButtonModeDragsWithTheRightButton) {
  Start(IdentitySettings(kDragging, kRightButton));
  Press(100, 200);
  Hold(200, 200);
  Release(200, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{
                        {M, 100, 200}, {RD, 100, 200}, {M, 200, 200}, {RU, 200, 200}, {M, 200, 200}}));
}

TEST_F(Emulation, AnUnknownModeSendsNothingButStillBeeps) {
  Start(IdentitySettings(kDragging));
  harness->Control(IOCTL_TOUCH_SET_MOUSE_MODE, testing::U32(7));
  Tap(100, 200);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(harness->Kernel.CurrentTone(), 2000u);
}

TEST_F(Emulation, HeldTouchRightClicksOnceAfterRBNDelayReportsInsideTheWindow) {
  Start(IdentitySettings(kClickOnRelease));
  harness->Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{5});
  Press(100, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 100, 200}}));
  Hold(101, 199, 4);
  EXPECT_TRUE(Sent().empty());
  Hold(103, 203);  // the fifth report inside the window
  EXPECT_EQ(Sent(), (std::vector<Record>{{RD, 103, 203}, {RU, 103, 203}}));
  Hold(100, 200, 20);
  EXPECT_TRUE(Sent().empty()) << "no second right click before a move";
  Hold(104, 200);  // 4 units off the anchor: outside
  Hold(104, 200, 5);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 104, 200}, {RD, 104, 200}, {RU, 104, 200}}));
}

TEST_F(Emulation, HoldCountCarriesOverToANewTouchNearTheOldAnchor) {
  Start(IdentitySettings(kClickOnRelease));
  harness->Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{4});
  Press(100, 200);
  Hold(100, 200, 3);
  Release(100, 200);  // clicks; a release is not counted in this mode
  Sent();
  Press(101, 200);  // the next touch's first report is the fourth inside the window
  EXPECT_EQ(Sent(), (std::vector<Record>{{RD, 101, 200}, {RU, 101, 200}}));
}

TEST_F(Emulation, RBNDelayZeroFiresOnTheFirstReportInsideTheWindow) {
  Start(IdentitySettings(kClickOnRelease));
  harness->Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{0});
  Press(100, 200);
  Hold(100, 200);
  EXPECT_EQ(Sent(), (std::vector<Record>{{M, 100, 200}, {RD, 100, 200}, {RU, 100, 200}}));
}

TEST_F(Emulation, AfterStartAStillTouchNeverRightClicksBeforeAMove) {
  DriverHarness started({{"MouseMode", kClickOnRelease}});
  started.Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{1});
  // A calibration that maps raw 0,0 onto the initial anchor 0,0.
  CalibrationBlock block;
  block.Xc = 400;
  block.XL = 800;
  block.Yc = 400;
  block.YL = 800;
  const auto bytes = block.Encode();
  started.Control(IOCTL_TOUCH_SET_CALIBRATION, bytes);
  for (int i = 0; i < 100; ++i) started.Deliver(Report(TouchStatus::Hold, 0, 0));
  EXPECT_TRUE(started.Sent.empty());
  EXPECT_EQ(started.Context().RightClickDone, 1);
}

TEST_F(Emulation, ASpanBeyondTheWindowLimitMakesEveryReportAMove) {
  auto settings = IdentitySettings(kClickOnRelease);
  settings["XL"] = 300000;
  Start(settings);
  ASSERT_EQ(harness->Context().JitterX, 0);
  harness->Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{0});
  Press(100, 200);
  Hold(100, 200, 3);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  for (const Record& r : sent) EXPECT_EQ(r.Buttons, M);
}

}  // namespace
}  // namespace qvtouch::driver
