#include <gtest/gtest.h>

#include "common/capture.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::Concat;
using testing::Report;

// A driver whose every valid report is visible as the raw position it leaves in the capture.
class Decoder : public ::testing::Test {
 protected:
  std::pair<std::int32_t, std::int32_t> LastRaw() const {
    return {harness.Context().CaptureRawX, harness.Context().CaptureRawY};
  }
  std::uint8_t State() const { return harness.Context().ParserState; }

  DriverHarness harness;
};

TEST_F(Decoder, DecodesAValidReportByteByByte) {
  const auto bytes = Report(TouchStatus::Hold, 0x1234, 0x0ABC);
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    harness.Deliver({&bytes[i], 1});
    EXPECT_EQ(State(), i + 1);
  }
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0));
  harness.Deliver({&bytes.back(), 1});
  EXPECT_EQ(State(), 0);
  EXPECT_EQ(LastRaw(), std::make_pair(0x1234, 0x0ABC));
}

TEST_F(Decoder, CoordinatesHaveNoRange) {
  harness.Deliver(Report(TouchStatus::Hold, 0xFFFF, 0x0000));
  EXPECT_EQ(LastRaw(), std::make_pair(0xFFFF, 0));
  harness.Deliver(Report(TouchStatus::Hold, 0x0000, 0xFFFF));
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0xFFFF));
}

TEST_F(Decoder, ARepeatedFirstSyncByteLosesTheReport) {
  harness.Deliver(Concat({{0x55}, Report(TouchStatus::Hold, 100, 200)}));
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0));
  harness.Deliver(Report(TouchStatus::Hold, 300, 400));
  EXPECT_EQ(LastRaw(), std::make_pair(300, 400));
}

TEST_F(Decoder, AnInvalidStatusDropsTheReportAndDecodingRestartsAtTheNextSyncByte) {
  for (std::uint8_t status : {0x80, 0x83, 0x85}) {
    auto bad = Report(TouchStatus::Hold, 100, 200);
    bad[2] = status;
    harness.Deliver(bad);
    EXPECT_EQ(LastRaw(), std::make_pair(0, 0)) << int{status};
  }
  // A dropped report whose X bytes are 0x55 0x54 restarts decoding inside itself.
  auto carrier = Report(TouchStatus::Hold, 0x5455, 0x0081);
  carrier[2] = 0x80;
  const auto inner = Report(TouchStatus::Hold, 0x0102, 0x0304);
  // Bytes 3, 4 and 5 of the carrier are 0x55 0x54 0x81: a sync and a Press status.
  harness.Deliver(carrier);
  EXPECT_EQ(State(), 7);
  harness.Deliver(inner);
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0)) << "the false report eats the next one";
  harness.Deliver(Report(TouchStatus::Hold, 7, 8));
  EXPECT_EQ(LastRaw(), std::make_pair(7, 8));
}

TEST_F(Decoder, AChecksumOffByOneReachesNoConsumer) {
  harness.Control(IOCTL_TOUCH_ARM_CAPTURE);
  auto bad = Report(TouchStatus::Press, 100, 200);
  ++bad.back();
  harness.Deliver(bad);
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0));
  EXPECT_EQ(harness.Context().CaptureState, CaptureArmed);
  EXPECT_TRUE(harness.Sent.empty());
  harness.Deliver(Report(TouchStatus::Press, 300, 400));
  EXPECT_EQ(LastRaw(), std::make_pair(300, 400));
  EXPECT_EQ(harness.Context().CaptureState, CaptureTouched);
}

TEST_F(Decoder, StrayBytesAreSkippedAndAFalseSyncPairIsRejected) {
  // A controller's reply that no pass-through waits for, holding a 0x55 0x54 pair.
  harness.Deliver(std::vector<std::uint8_t>{0x01, 0x30, 0x0D, 0x55, 0x54, 0x82, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0));
  harness.Deliver(Report(TouchStatus::Hold, 9, 10));
  EXPECT_EQ(LastRaw(), std::make_pair(9, 10));
}

TEST_F(Decoder, AReadErrorDropsThePartReportAndTheNextDecodes) {
  const auto first = Report(TouchStatus::Hold, 100, 200);
  harness.Deliver(std::span(first).first(6));
  harness.FailRead();
  EXPECT_EQ(State(), 0);
  harness.Deliver(std::span(first).subspan(6));
  EXPECT_EQ(LastRaw(), std::make_pair(0, 0));
  harness.Deliver(Report(TouchStatus::Hold, 300, 400));
  EXPECT_EQ(LastRaw(), std::make_pair(300, 400));
}

TEST_F(Decoder, CaptureNeedsAPressAfterArmingThenARelease) {
  harness.Control(IOCTL_TOUCH_ARM_CAPTURE);
  harness.Deliver(Concat({Report(TouchStatus::Hold, 1, 1), Report(TouchStatus::Release, 2, 2)}));
  EXPECT_EQ(harness.Context().CaptureState, CaptureArmed);
  harness.Deliver(Report(TouchStatus::Press, 3, 3));
  EXPECT_EQ(harness.Context().CaptureState, CaptureTouched);
  harness.Deliver(Report(TouchStatus::Hold, 4, 4));
  EXPECT_EQ(harness.Context().CaptureState, CaptureTouched);
  harness.Deliver(Report(TouchStatus::Release, 500, 600));
  EXPECT_EQ(harness.Context().CaptureState, CaptureReleased);
  EXPECT_EQ(LastRaw(), std::make_pair(500, 600));
  harness.Deliver(Report(TouchStatus::Press, 7, 7));
  EXPECT_EQ(harness.Context().CaptureState, CaptureReleased) << "stays until armed again";
}

TEST_F(Decoder, WithPointerOutputDisabledReportsStillFeedTheCaptures) {
  harness.Control(IOCTL_TOUCH_DISABLE_POINTER);
  harness.Control(IOCTL_TOUCH_ARM_CAPTURE);
  std::vector<std::uint8_t> captured;
  harness.Kernel.OnBlockingWait = [&] {
    harness.Deliver(Report(TouchStatus::Press, 321, 654));
  };
  const auto reply = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Output, Report(TouchStatus::Press, 321, 654));
  EXPECT_EQ(harness.Context().CaptureState, CaptureTouched);
  harness.Deliver(Report(TouchStatus::Release, 321, 654));
  EXPECT_EQ(harness.Context().CaptureState, CaptureReleased);
  EXPECT_TRUE(harness.Sent.empty());
  EXPECT_TRUE(harness.Kernel.Tones.empty());
}

TEST_F(Decoder, WithoutTheClassDriverNothingIsSent) {
  DriverHarness unconnected({}, /*connectClass=*/false);
  unconnected.Deliver(Report(TouchStatus::Release, 1, 1));
  EXPECT_TRUE(unconnected.Sent.empty());
  EXPECT_TRUE(unconnected.Kernel.Tones.empty());
  EXPECT_EQ(unconnected.Context().CaptureRawX, 1);
}

TEST_F(Decoder, ReportCaptureKeepsTheExtraBytesAsReceived) {
  TouchReport report{0x82, 0x0203, 0x0405, {0xAA, 0xBB}};
  const ReportBytes bytes = report.Encode();
  harness.Kernel.OnBlockingWait = [&] { harness.Deliver(bytes); };
  const auto reply = harness.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 16);
  EXPECT_EQ(reply.Status, STATUS_SUCCESS);
  EXPECT_EQ(reply.Information, 16u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), reply.Output.begin()));
}

}  // namespace
}  // namespace qvtouch::driver
