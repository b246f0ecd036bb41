#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/controller_commands.h"
#include "common/request_codes.h"
#include "common/registry_paths.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::CommandInput;
using testing::Concat;
using testing::Report;
using testing::U32;

constexpr std::int64_t Ms(std::int64_t milliseconds) { return milliseconds * kUnitsPerMillisecond; }

class Control : public ::testing::Test {
 protected:
  DriverHarness harness;
};

TEST_F(Control, ShortOutputIsRefusedAndReturnsNothing) {
  const auto reply = harness.Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, 3);
  EXPECT_EQ(reply.Status, STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(reply.Information, 0u);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_GET_CAPTURE, {}, 11).Status, STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_GET_BEEP, {}, 19).Status, STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 9).Status, STATUS_BUFFER_TOO_SMALL);
}

TEST_F(Control, ShortInputIsRefusedAndChangesNothing) {
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_MOUSE_MODE, std::vector<std::uint8_t>{3, 0, 0}).Status,
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Context().MouseMode, 0u);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_BEEP, std::vector<std::uint8_t>(19, 1)).Status,
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_CALIBRATION, std::vector<std::uint8_t>(67, 1)).Status,
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_RBN_DELAY).Status, STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(harness.Context().RBNDelay, 48);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_PASS_THROUGH, std::vector<std::uint8_t>(19, 0), 3).Status,
            STATUS_BUFFER_TOO_SMALL);
}

TEST_F(Control, ButtonModeAcceptsOnlyOneAsRight) {
  harness.Control(IOCTL_TOUCH_SET_BUTTON_MODE, U32(5));
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, 4).Output, U32(0));
  harness.Control(IOCTL_TOUCH_SET_BUTTON_MODE, U32(1));
  const auto reply = harness.Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, 8);
  EXPECT_EQ(reply.Information, 4u);
  EXPECT_EQ(reply.Output[0], 1);
}

TEST_F(Control, SetBeepReplacesOutOfRangeTimesWithTheShortestTime) {
  const BeepRecord trial{1, 800, 20, 6000, 1000};
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_BEEP, trial.Encode()).Status, STATUS_SUCCESS);
  const auto reply = harness.Control(IOCTL_TOUCH_GET_BEEP, {}, 20);
  EXPECT_EQ(reply.Information, 20u);
  const auto expected = BeepRecord{1, 2000, 32, 2000, 32}.Encode();
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reply.Output.begin()));
  harness.Control(IOCTL_TOUCH_SET_BEEP, BeepRecord{9, 1000, 750, 5000, 32}.Encode());
  EXPECT_EQ(harness.Context().Beep(), (BeepRecord{9, 1000, 750, 5000, 32})) << "mode unchecked";
}

TEST_F(Control, PointerEnableCountsButNeverBelowZero) {
  for (int i = 0; i < 3; ++i) harness.Control(IOCTL_TOUCH_DISABLE_POINTER);
  EXPECT_EQ(harness.Context().PointerEnable, 0u);
  harness.Control(IOCTL_TOUCH_ENABLE_POINTER);
  EXPECT_EQ(harness.Context().PointerEnable, 1u);
  harness.Control(IOCTL_TOUCH_ENABLE_POINTER);
  harness.Control(IOCTL_TOUCH_DISABLE_POINTER);
  EXPECT_EQ(harness.Context().PointerEnable, 1u);
}

TEST_F(Control, ModesAndPlacementAreStoredUnchecked) {
  harness.Control(IOCTL_TOUCH_SET_MOUSE_MODE, U32(7));
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_GET_MOUSE_MODE, {}, 4).Output, U32(7));
  harness.Control(IOCTL_TOUCH_SET_SCREEN_POST, U32(99));
  const auto post = harness.Control(IOCTL_TOUCH_GET_SCREEN_POST, {}, 8);
  EXPECT_EQ(post.Information, 8u) << "the caller's whole output length";
  EXPECT_EQ(LoadU32(post.Output, 0), 99u);
  harness.Control(IOCTL_TOUCH_SET_RBN_DELAY, std::vector<std::uint8_t>{200, 1});
  const auto delay = harness.Control(IOCTL_TOUCH_GET_RBN_DELAY, {}, 6);
  EXPECT_EQ(delay.Information, 6u);
  EXPECT_EQ(LoadU32(delay.Output, 0), 200u);
}

// Where a reply counts the caller's whole output, the platform hands all of it to the caller: what
// the driver does not write there is zero, not what the buffer held before.
TEST_F(Control, RepliesOfTheWholeOutputLengthCarryNothingButTheirValue) {
  const auto send = [&](std::uint32_t code, std::size_t length) {
    std::vector<std::uint8_t> output(length, 0xEE);
    std::uint32_t information = 0;
    EXPECT_EQ(harness.Kernel.Control("\\??\\qvtouch", code, {}, output, &information),
              STATUS_SUCCESS);
    EXPECT_EQ(information, length);
    return output;
  };
  harness.Control(IOCTL_TOUCH_SET_SCREEN_POST, U32(17));
  EXPECT_EQ(send(IOCTL_TOUCH_GET_SCREEN_POST, 9), Concat({U32(17), std::vector<std::uint8_t>(5)}));
  EXPECT_EQ(send(IOCTL_TOUCH_GET_RBN_DELAY, 6), Concat({U32(48), std::vector<std::uint8_t>(2)}));
  harness.Kernel.OnBlockingWait = [&] { harness.Deliver(Report(TouchStatus::Press, 2, 3)); };
  EXPECT_EQ(send(IOCTL_TOUCH_CAPTURE_REPORT, 16),
            Concat({Report(TouchStatus::Press, 2, 3), std::vector<std::uint8_t>(6)}));
}

TEST_F(Control, CalibrationIsReplacedWholeAndAReloadRestoresTheStoredMapping) {
  DriverHarness stored({{"Xc", 2048}, {"XL", 3800}, {"YL", static_cast<std::uint32_t>(-3800)}});
  stored.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  const CalibrationBlock trial{100, 200, -300, 400, 90, 4096, 1, 4096, 1, {1, 2, 3, 4, 5, 6, 7, 8}};
  ASSERT_EQ(stored.Control(IOCTL_TOUCH_SET_CALIBRATION, trial.Encode()).Status, STATUS_SUCCESS);
  EXPECT_EQ(stored.Context().Calibration, trial);
  EXPECT_EQ(stored.Context().JitterX, 68) << "jitter windows come only from a settings load";

  stored.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  const CalibrationBlock& c = stored.Context().Calibration;
  EXPECT_EQ(c.Xc, 2048);
  EXPECT_EQ(c.XL, 3800);
  EXPECT_EQ(c.Yc, 0);
  EXPECT_EQ(c.YL, -3800);
  EXPECT_EQ(c.Shp, 2);
  EXPECT_EQ(c.Orientation, 270);
  EXPECT_EQ(c.CalibrationExtra, trial.CalibrationExtra);
}

TEST_F(Control, ACalibrationWithAZeroSpanIsRefusedWhole) {
  CalibrationBlock zero{1, 2, 0, 400, 0, 4096, 0, 4096, 0, {}};
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_CALIBRATION, zero.Encode()).Status,
            STATUS_INVALID_PARAMETER);
  zero.XL = 400;
  zero.YL = 0;
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_SET_CALIBRATION, zero.Encode()).Status,
            STATUS_INVALID_PARAMETER);
  EXPECT_EQ(harness.Context().Calibration.Xc, 0);
  EXPECT_EQ(harness.Context().Calibration.XL, 800);
}

TEST_F(Control, UnknownAndUnimplementedCodes) {
  for (std::uint32_t code : {IOCTL_TOUCH_UNIMPLEMENTED_910, IOCTL_TOUCH_UNIMPLEMENTED_920,
                             IOCTL_TOUCH_UNIMPLEMENTED_99F}) {
    EXPECT_EQ(harness.Control(code, {}, 64).Status, STATUS_NOT_IMPLEMENTED);
  }
  EXPECT_EQ(harness.Control(0x000F2404).Status, STATUS_INVALID_DEVICE_REQUEST);
  EXPECT_EQ(harness.Control(IOCTL_MOUSE_QUERY_ATTRIBUTES, {}, 12).Status,
            STATUS_INVALID_DEVICE_REQUEST);
}

TEST_F(Control, ReadAndWriteOnTheDeviceAreNotImplementedButOpenAndCloseSucceed) {
  const auto send = [&](MajorFunction major) {
    return harness.Kernel.Control("\\??\\QVTouch", 0, {}, {}, nullptr, major);
  };
  EXPECT_EQ(send(MajorFunction::Create), STATUS_SUCCESS);
  EXPECT_EQ(send(MajorFunction::Read), STATUS_NOT_IMPLEMENTED);
  EXPECT_EQ(send(MajorFunction::Write), STATUS_NOT_IMPLEMENTED);
  EXPECT_EQ(send(MajorFunction::Close), STATUS_SUCCESS);
}

// --- Report capture --------------------------------------------------------------------------

TEST_F(Control, ReportCaptureTimesOutAfterTwentyMillisecondsPerByte) {
  const std::int64_t start = harness.Kernel.Now();
  const auto reply = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  EXPECT_EQ(reply.Status, STATUS_TIMEOUT);
  EXPECT_EQ(reply.Information, 0u);
  EXPECT_EQ(harness.Kernel.Now() - start, Ms(200));
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
}

// However large the caller's output, a capture waits for one report and a pass-through for at most
// 256 reply bytes: a large buffer does not hold the waiting slot for hours.
TEST_F(Control, ALargeOutputDoesNotLengthenTheWait) {
  constexpr std::size_t kLarge = 1 << 20;
  std::int64_t start = harness.Kernel.Now();
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, kLarge).Status, STATUS_TIMEOUT);
  EXPECT_EQ(harness.Kernel.Now() - start, Ms(200));
  start = harness.Kernel.Now();
  const auto reply =
      harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), kLarge);
  EXPECT_EQ(reply.Status, STATUS_TIMEOUT);
  EXPECT_EQ(harness.Kernel.Now() - start, Ms(256 * 20));
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
}

// A request whose caller has gone is cancelled: a capture or a pass-through that waits ends at once
// as cancelled, with no time passing, and the slot is free for the next one. A cancel of a request
// that does not wait changes nothing.
TEST_F(Control, ACancelledWaitingRequestEndsAtOnceAndFreesTheSlot) {
  harness.Kernel.OnBlockingWait = [&] { harness.Driver.Cancel(*harness.Context().PendingRequest); };
  const std::int64_t start = harness.Kernel.Now();
  const auto capture = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  EXPECT_EQ(capture.Status, STATUS_CANCELLED);
  const auto reply =
      harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), 256);
  EXPECT_EQ(reply.Status, STATUS_CANCELLED);
  EXPECT_EQ(reply.Information, 0u);
  EXPECT_EQ(harness.Kernel.Now(), start);
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
  EXPECT_EQ(harness.Context().PassThroughActive, 0);

  harness.Kernel.OnBlockingWait = nullptr;
  IoRequest elsewhere;
  harness.Driver.Cancel(elsewhere);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10).Status, STATUS_TIMEOUT);
}

TEST_F(Control, ReportCaptureTakesTheNextValidReportOnly) {
  harness.Kernel.OnBlockingWait = [&] {
    auto bad = Report(TouchStatus::Hold, 1, 1);
    ++bad.back();
    harness.Deliver(Concat({bad, Report(TouchStatus::Press, 2, 3), Report(TouchStatus::Hold, 4, 5)}));
  };
  const auto reply = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Output, Report(TouchStatus::Press, 2, 3));
}

TEST_F(Control, ASecondWaitingRequestIsRefusedWhileTheSlotIsTaken) {
  std::vector<DriverHarness::Reply> nested;
  harness.Kernel.OnBlockingWait = [&] {
    harness.Kernel.OnBlockingWait = nullptr;
    nested.push_back(harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10));
    nested.push_back(harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), 10));
    harness.Deliver(Report(TouchStatus::Hold, 1, 1));
  };
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10).Status, STATUS_SUCCESS);
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_EQ(nested[0].Status, STATUS_DEVICE_BUSY);
  EXPECT_EQ(nested[1].Status, STATUS_DEVICE_BUSY);
  EXPECT_TRUE(harness.Port().Written.empty());
}

// Two callers on two threads that take turns, so that the fake kernel runs one at a time.
class Turns {
 public:
  void Give(int next) {
    std::lock_guard lock(mutex_);
    holder_ = next;
    changed_.notify_all();
  }
  void WaitFor(int self) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return holder_ == self; });
  }
  // Lets `next` run and waits until the turn comes back.
  void Pass(int self, int next) {
    Give(next);
    WaitFor(self);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int holder_ = 0;
};

// A capture served by a report, whose thread runs again only once another caller's pass-through
// has taken the slot, leaves that pass-through's counters alone: its reply completes it.
TEST_F(Control, ACaptureThatWakesAfterAPassThroughTookTheSlotLeavesItsCounters) {
  constexpr int kTest = 0;
  constexpr int kCapturer = 1;
  Turns turns;
  std::thread::id capturer;
  harness.Kernel.OnBlockingWait = [&] {
    if (std::this_thread::get_id() == capturer) {
      turns.Pass(kCapturer, kTest);  // the capture waits; the report comes meanwhile
    } else {
      turns.Pass(kTest, kCapturer);  // the pass-through waits; the capture's thread runs again
      harness.Deliver(std::vector<std::uint8_t>{kSOH, '0', kCR});
    }
  };
  DriverHarness::Reply capture{STATUS_PENDING, 0, {}};
  std::thread thread([&] {
    turns.WaitFor(kCapturer);
    capture = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
    turns.Give(kTest);
  });
  capturer = thread.get_id();
  turns.Pass(kTest, kCapturer);
  harness.Deliver(Report(TouchStatus::Press, 2, 3));
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
  thread.join();
  EXPECT_EQ(capture.Status, STATUS_SUCCESS);
  EXPECT_EQ(capture.Output, Report(TouchStatus::Press, 2, 3));
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Output, (std::vector<std::uint8_t>{kSOH, '0', kCR}));
}

// --- Pass-through ----------------------------------------------------------------------------

TEST_F(Control, PassThroughWritesOnlyTheCommandBytesAndReturnsTheReply) {
  harness.Port().OnWrite = [&](std::span<const std::uint8_t>) {
    harness.Kernel.OnBlockingWait = [&] {
      harness.Deliver(std::vector<std::uint8_t>{kSOH, '0', kCR});
    };
  };
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Information, 3u);
  EXPECT_EQ(reply.Output, (std::vector<std::uint8_t>{kSOH, '0', kCR}));
  EXPECT_EQ(harness.Port().Written,
            std::vector<std::uint8_t>(kEnterAssistedMode.begin(), kEnterAssistedMode.end()));
  EXPECT_EQ(harness.Context().PassThroughActive, 0);
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
}

TEST_F(Control, AReplyThatComesWhileTheWriteReturnsIsNotLost) {
  harness.Port().OnWrite = [&](std::span<const std::uint8_t>) {
    harness.Deliver(std::vector<std::uint8_t>{kSOH, '0', kCR});
  };
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Output, (std::vector<std::uint8_t>{kSOH, '0', kCR}));
}

TEST_F(Control, PassThroughWithAPartReplyTimesOutWithTheBytesReceived) {
  harness.Kernel.OnBlockingWait = [&] { harness.Deliver(std::vector<std::uint8_t>{0xA1, 0xA2}); };
  const std::int64_t start = harness.Kernel.Now();
  const std::array<std::uint8_t, 5> command{1, 2, 3, 4, 5};
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 3), 3);
  EXPECT_EQ(reply.Status, STATUS_TIMEOUT);
  EXPECT_EQ(reply.Information, 2u);
  EXPECT_EQ(reply.Output[0], 0xA1);
  EXPECT_EQ(reply.Output[1], 0xA2);
  EXPECT_EQ(harness.Kernel.Now() - start, Ms(60));
}

TEST_F(Control, PassThroughWithoutReplyLengthCompletesAtOnceWithTheWriteStatus) {
  const auto command = SetParametersCommand(3072, 3072);
  harness.Port().WriteStatus = STATUS_CANCELLED;
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 0), 0);
  EXPECT_EQ(reply.Status, STATUS_CANCELLED);
  EXPECT_EQ(harness.Kernel.Now(), 1000 * kUnitsPerMillisecond) << "no time passed after start";
  EXPECT_EQ(harness.Port().Written.size(), 12u);
  harness.Port().WriteStatus = STATUS_SUCCESS;
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 0), 0).Status,
            STATUS_SUCCESS);
}

// A command without a reply waits for nothing, so it neither takes the waiting slot nor is refused
// while a capture holds it.
TEST_F(Control, PassThroughWithoutReplyDuringAWaitingCaptureIsWrittenAndTheCaptureIsServed) {
  const auto command = SetParametersCommand(3072, 3072);
  NtStatus passThrough = STATUS_PENDING;
  harness.Kernel.OnBlockingWait = [&] {
    harness.Kernel.OnBlockingWait = nullptr;
    passThrough = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 0), 0).Status;
    harness.Deliver(Report(TouchStatus::Press, 2, 3));
  };
  const auto capture = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  EXPECT_EQ(passThrough, STATUS_SUCCESS);
  EXPECT_EQ(harness.Port().Written, std::vector<std::uint8_t>(command.begin(), command.end()));
  EXPECT_EQ(capture.Status, STATUS_SUCCESS);
  EXPECT_EQ(capture.Output, Report(TouchStatus::Press, 2, 3));
}

TEST_F(Control, ACaptureDuringTheWriteOfAPassThroughWithoutReplyIsServed) {
  DriverHarness::Reply capture{STATUS_PENDING, 0, {}};
  harness.Port().OnWrite = [&](std::span<const std::uint8_t>) {
    harness.Port().OnWrite = nullptr;
    harness.Kernel.OnBlockingWait = [&] { harness.Deliver(Report(TouchStatus::Hold, 4, 5)); };
    capture = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  };
  const auto command = SetParametersCommand(3072, 3072);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 0), 0).Status,
            STATUS_SUCCESS);
  EXPECT_EQ(capture.Status, STATUS_SUCCESS);
  EXPECT_EQ(capture.Output, Report(TouchStatus::Hold, 4, 5));
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
}

TEST_F(Control, PassThroughAfterAFailedWriteDoesNotWait) {
  harness.Port().WriteStatus = STATUS_INSUFFICIENT_RESOURCES;
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), 10);
  EXPECT_EQ(reply.Status, STATUS_INSUFFICIENT_RESOURCES);
  EXPECT_EQ(reply.Information, 0u);
  EXPECT_EQ(harness.Context().PendingRequest, nullptr);
}

TEST_F(Control, PassThroughRefusesMoreThanSixteenCommandBytes) {
  auto input = CommandInput(kReadParameters, 10);
  StoreU32(input, kCommandSendCountOffset, 17);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_PASS_THROUGH, input, 10).Status, STATUS_INVALID_PARAMETER);
  EXPECT_TRUE(harness.Port().Written.empty());
}

TEST_F(Control, PassThroughBeforeThePortIsOpenIsRefusedWithoutTouchingIt) {
  FakeKernel kernel;
  TouchDriver driver(kernel);
  kernel.OnBlockingWait = [&] {
    kernel.OnBlockingWait = nullptr;
    const auto input = CommandInput(kEnterAssistedMode, 3);
    std::array<std::uint8_t, 3> output{};
    IoRequest request{MajorFunction::DeviceControl, IOCTL_TOUCH_PASS_THROUGH, input, output, 0};
    EXPECT_EQ(driver.Dispatch(request), STATUS_DEVICE_NOT_READY);
    kernel.MakePortAvailable("\\??\\COM1");
  };
  ASSERT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_SUCCESS);
  ASSERT_NE(kernel.OpenedPort(), nullptr);
  EXPECT_TRUE(kernel.OpenedPort()->Written.empty());
}

TEST_F(Control, AReportDuringAPassThroughGoesIntoTheReplyAndDecodingResumesAfter) {
  const auto report = Report(TouchStatus::Hold, 0x0102, 0x0304);
  harness.Deliver(std::span(report).first(4));  // the decoder is mid-report
  harness.Kernel.OnBlockingWait = [&] { harness.Deliver(Report(TouchStatus::Press, 9, 9)); };
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), 10);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Output, Report(TouchStatus::Press, 9, 9));
  EXPECT_EQ(harness.Context().CaptureRawX, 0) << "the report went to the request, not the decoder";
  harness.Deliver(std::span(report).subspan(4));
  EXPECT_EQ(harness.Context().CaptureRawX, 0x0102);
}

TEST_F(Control, AReadErrorEndsThePassThroughAndLaterReportsStayOutOfItsReply) {
  harness.Kernel.OnBlockingWait = [&] {
    harness.Deliver(std::vector<std::uint8_t>{0x01});
    harness.FailRead();
    harness.Deliver(Report(TouchStatus::Hold, 5, 6));
  };
  const auto reply = harness.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 10), 10);
  EXPECT_EQ(reply.Status, STATUS_TIMEOUT);
  EXPECT_EQ(reply.Information, 1u);
  EXPECT_EQ(reply.Output, (std::vector<std::uint8_t>{0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(harness.Context().CaptureRawX, 5) << "after the error the decoder has the bytes again";
}

}  // namespace
}  // namespace qvtouch::driver
