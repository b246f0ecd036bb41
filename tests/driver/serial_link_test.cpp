#include <gtest/gtest.h>

#include "common/controller_commands.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::CommandInput;
using testing::Report;

class SerialLink : public ::testing::Test {
 protected:
  std::uint32_t Reads() { return harness.Port().ReadsIssued; }

  DriverHarness harness;
};

TEST_F(SerialLink, EveryCompletedReadIsFollowedByTheNextAndAFailedOneAfterAShortPause) {
  const std::uint32_t before = Reads();
  harness.Deliver(Report(TouchStatus::Hold, 1, 2));
  EXPECT_EQ(Reads(), before + 10);
  harness.Port().Fail();
  EXPECT_FALSE(harness.Port().ReadPending());
  harness.Kernel.AdvanceMilliseconds(9);
  EXPECT_FALSE(harness.Port().ReadPending());
  harness.Kernel.AdvanceMilliseconds(1);
  EXPECT_TRUE(harness.Port().ReadPending());
  harness.Deliver(Report(TouchStatus::Hold, 3, 4));
  EXPECT_EQ(harness.Context().CaptureRawX, 3);
}

// A port driver that fails every read inside the call that issues it gets one read per pause, not
// an endless chain of them at once; and unload ends.
TEST_F(SerialLink, APortThatFailsEveryReadAtOnceIsTriedOncePerPauseAndUnloadEnds) {
  harness.Port().FailsAtOnce = STATUS_CANCELLED;
  const std::uint32_t before = Reads();
  harness.Port().Fail();
  EXPECT_EQ(Reads(), before);
  harness.Kernel.AdvanceMilliseconds(100);
  EXPECT_EQ(Reads(), before + 10);
  harness.Driver.Unload();
  EXPECT_EQ(harness.Context().StopReads, kStopAcknowledged);
  EXPECT_EQ(harness.Kernel.OpenedPort(), nullptr);
  EXPECT_TRUE(harness.Kernel.Devices.empty());
}

// A port whose device is being removed or has gone is released, and opened again a second later,
// configured as at start; pointer output goes on as the control requests left it.
TEST_F(SerialLink, APortThatHasGoneIsReleasedAndReopenedAsAtStart) {
  for (const NtStatus removed : {STATUS_DELETE_PENDING, STATUS_NO_SUCH_DEVICE, STATUS_DEVICE_REMOVED,
                                 STATUS_DEVICE_DOES_NOT_EXIST, STATUS_DEVICE_NOT_CONNECTED}) {
    SCOPED_TRACE(removed);
    DriverHarness link;
    link.Control(IOCTL_TOUCH_ENABLE_POINTER);
    link.Port().Fail(removed);
    link.Kernel.AdvanceMilliseconds(0);
    EXPECT_EQ(link.Kernel.OpenedPort(), nullptr) << "released";
    EXPECT_EQ(link.Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kReadParameters, 0)).Status,
              STATUS_DEVICE_NOT_READY);
    const std::size_t attempts = link.Kernel.OpenAttempts.size();
    link.Kernel.AdvanceMilliseconds(999);
    EXPECT_EQ(link.Kernel.OpenAttempts.size(), attempts);
    link.Kernel.AdvanceMilliseconds(1);
    ASSERT_NE(link.Kernel.OpenedPort(), nullptr);
    EXPECT_EQ(link.Kernel.OpenAttempts.back(), "\\??\\COM1");
    ASSERT_EQ(link.Port().Controls.size(), 3u);
    EXPECT_EQ(link.Port().Controls[0].Code, IOCTL_SERIAL_SET_LINE_CONTROL);
    EXPECT_TRUE(link.Port().ReadPending());
    EXPECT_EQ(link.Context().PointerEnable, 2u);
    link.Deliver(Report(TouchStatus::Press, 1, 1));
    EXPECT_EQ(link.Sent.size(), 2u) << "a click";
  }
}

TEST_F(SerialLink, APortThatStaysAwayIsTriedOnceASecondUntilUnload) {
  harness.Kernel.AnyPortOpens = false;
  harness.Port().Fail(STATUS_DELETE_PENDING);
  const std::size_t attempts = harness.Kernel.OpenAttempts.size();
  harness.Kernel.AdvanceMilliseconds(3500);
  EXPECT_EQ(harness.Kernel.OpenAttempts.size(), attempts + 3);
  harness.Driver.Unload();
  EXPECT_EQ(harness.Context().StopReads, kStopAcknowledged);
  EXPECT_TRUE(harness.Kernel.Devices.empty());
  harness.Kernel.AdvanceMilliseconds(5000);
  EXPECT_EQ(harness.Kernel.OpenAttempts.size(), attempts + 3) << "nothing polls after unload";
}

// Unload also finds the link where a lost port waits to be released.
TEST_F(SerialLink, UnloadRightAfterThePortHasGoneEnds) {
  harness.Port().Fail(STATUS_DEVICE_REMOVED);
  harness.Driver.Unload();
  EXPECT_EQ(harness.Context().StopReads, kStopAcknowledged);
  EXPECT_EQ(harness.Kernel.OpenedPort(), nullptr);
  EXPECT_TRUE(harness.Kernel.Devices.empty());
}

}  // namespace
}  // namespace qvtouch::driver
