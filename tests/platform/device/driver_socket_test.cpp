// The real driver behind the socket: requests as the calibration program and the applet send them.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "common/capture.h"
#include "common/controller_commands.h"
#include "common/records.h"
#include "common/touch_report.h"
#include "device_test_support.h"
#include "platform/device/winio.h"

namespace qvtouch::platform {
namespace {

using namespace testing;

class DriverOverSocket : public ServedDriverTest {
 protected:
  void SetUp() override {
    ServedDriverTest::SetUp();
    device_ = CreateFileA(kDeviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device_, INVALID_HANDLE_VALUE);
  }
  void TearDown() override { CloseHandle(device_); }

  BOOL Control(DWORD code, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
               DWORD& returned) {
    return DeviceIoControl(device_, code, const_cast<std::uint8_t*>(input.data()),
                           static_cast<DWORD>(input.size()), output.data(),
                           static_cast<DWORD>(output.size()), &returned, nullptr);
  }

  HANDLE device_ = INVALID_HANDLE_VALUE;
};

TEST_F(DriverOverSocket, BeepSettingsTestAsTheAppletRunsIt) {
  const BeepRecord trial{1, 800, 20, 6000, 1000};
  DWORD returned = 0;
  ASSERT_TRUE(Control(IOCTL_TOUCH_SET_BEEP, trial.Encode(), {}, returned));
  EXPECT_EQ(returned, 0u);
  std::array<std::uint8_t, BeepRecord::kSize> record{};
  ASSERT_TRUE(Control(IOCTL_TOUCH_GET_BEEP, {}, record, returned));
  EXPECT_EQ(returned, BeepRecord::kSize);
  EXPECT_EQ(BeepRecord::Decode(record), (BeepRecord{1, 2000, 32, 2000, 32}));
  EXPECT_TRUE(Control(IOCTL_TOUCH_BEEP, {}, {}, returned));
}

TEST_F(DriverOverSocket, CapturePollingAsTheCalibrationProgramDoesIt) {
  DWORD returned = 0;
  std::array<std::uint8_t, 4> post{};
  ASSERT_TRUE(Control(IOCTL_TOUCH_GET_SCREEN_POST, {}, post, returned));
  EXPECT_EQ(returned, 4u);
  ASSERT_TRUE(Control(IOCTL_TOUCH_ARM_CAPTURE, {}, {}, returned));
  std::array<std::uint8_t, 12> capture{};
  ASSERT_TRUE(Control(IOCTL_TOUCH_GET_CAPTURE, {}, capture, returned));
  EXPECT_EQ(returned, 12u);
  EXPECT_EQ(LoadS32(capture, 0), CaptureArmed);
}

TEST_F(DriverOverSocket, WaitingRequestsCompleteWithTheirBytes) {
  // The controller answers while the driver waits for the reply.
  const auto answer = [this](std::function<void()> controller) {
    std::lock_guard guard(driver_.Mutex);
    driver_.Harness.Kernel.OnBlockingWait = std::move(controller);
  };
  answer([this] { driver_.Harness.Deliver(std::array<std::uint8_t, 3>{kSOH, kModeAccepted, kCR}); });
  CommandRecord command;
  std::copy(kEnterAssistedMode.begin(), kEnterAssistedMode.end(), command.CommandBytes.begin());
  command.SendCount = kEnterAssistedMode.size();
  command.ReplyCount = kModeReplySize;
  std::array<std::uint8_t, kModeReplySize> reply{};
  DWORD returned = 0;
  ASSERT_TRUE(Control(IOCTL_TOUCH_PASS_THROUGH, command.Encode(), reply, returned));
  EXPECT_EQ(returned, kModeReplySize);
  EXPECT_EQ(reply[kModeReplyResultOffset], kModeAccepted);
  answer(nullptr);

  // No touch arrives: STATUS_TIMEOUT is success-class, with nothing returned.
  std::array<std::uint8_t, kReportSize> report{};
  EXPECT_TRUE(Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, report, returned));
  EXPECT_EQ(returned, 0u);
}

TEST_F(DriverOverSocket, RefusalsReachTheCallerAsThePlatformsErrors) {
  DWORD returned = 0;
  std::array<std::uint8_t, 3> tooSmall{};
  EXPECT_FALSE(Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, tooSmall, returned));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(Control(IOCTL_TOUCH_UNIMPLEMENTED_910, {}, {}, returned));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(Control(0x00220000, {}, {}, returned));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  CalibrationBlock flat;
  flat.XL = 0;
  flat.YL = 800;
  EXPECT_FALSE(Control(IOCTL_TOUCH_SET_CALIBRATION, flat.Encode(), {}, returned));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::uint8_t byte = 0;
  EXPECT_FALSE(ReadFile(device_, &byte, 1, &returned, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
}

TEST_F(DriverOverSocket, ShutsDownInTheHostsOrder) {
  server_.StopServing();
  {
    std::lock_guard guard(driver_.Mutex);
    driver_.Harness.Driver.Unload();
  }
  server_.Join();
  DWORD returned = 0;
  EXPECT_FALSE(Control(IOCTL_TOUCH_RELOAD_SETTINGS, {}, {}, returned));
  EXPECT_EQ(CreateFileA(kDeviceName, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace qvtouch::platform
