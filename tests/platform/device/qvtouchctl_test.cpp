// qvtouchctl's output and exit status against the real driver behind the socket.
#include <gtest/gtest.h>

#include "common/controller_commands.h"
#include "device_test_support.h"

namespace qvtouch::platform {
namespace {

using namespace testing;

using Qvtouchctl = ServedDriverTest;

TEST_F(Qvtouchctl, SetsAndGetsSettingsByTheirNames) {
  EXPECT_EQ(Ctl({"set-beep", "1", "800", "20", "6000", "1000"}).Out, "Status: STATUS_SUCCESS\n");
  const CtlRun beep = Ctl({"get-beep"});
  EXPECT_EQ(beep.Exit, 0);
  EXPECT_EQ(beep.Out,
            "Status: STATUS_SUCCESS\nBeepMode: 1\nBeepFreq1: 2000\nBeepTime: 32\nBeepFreq2: 2000\n"
            "BeepTime2: 32\n");
  EXPECT_EQ(Ctl({"set-screen-post", "-5"}).Exit, 0);
  EXPECT_EQ(Ctl({"get-screen-post"}).Out, "Status: STATUS_SUCCESS\nScreenPost: -5\n");
  EXPECT_EQ(Ctl({"--device", "\\\\.\\QVTOUCH", "set-rbn-delay", "0x20"}).Exit, 0);
  EXPECT_EQ(Ctl({"get-rbn-delay"}).Out, "Status: STATUS_SUCCESS\nRBNDelay: 32\n");
  EXPECT_EQ(Ctl({"arm-capture"}).Exit, 0);
  EXPECT_EQ(Ctl({"get-capture"}).Out,
            "Status: STATUS_SUCCESS\nCaptureState: 4139\nCaptureRawX: 0\nCaptureRawY: 0\n");
}

TEST_F(Qvtouchctl, PrintsStatusesByNameAndExitsByTheirClass) {
  const CtlRun capture = Ctl({"capture-report"});
  EXPECT_EQ(capture.Exit, 0);
  EXPECT_EQ(capture.Out, "Status: STATUS_TIMEOUT\nInformation: 0\n");

  const CtlRun tooSmall = Ctl({"raw", "IOCTL_TOUCH_GET_BUTTON_MODE", "--out", "3"});
  EXPECT_EQ(tooSmall.Exit, 1);
  EXPECT_EQ(tooSmall.Out, "Status: STATUS_BUFFER_TOO_SMALL\n");

  const CtlRun flat = Ctl({"set-calibration", "2048", "2048", "0", "800", "0", "4096", "0", "4096",
                        "0", "0", "0", "0", "0", "0", "0", "0", "0"});
  EXPECT_EQ(flat.Exit, 1);
  EXPECT_EQ(flat.Out, "Status: STATUS_INVALID_PARAMETER\n");
}

TEST_F(Qvtouchctl, RawAndPassThroughPrintTheReturnedBytes) {
  EXPECT_EQ(Ctl({"set-button-mode", "1"}).Exit, 0);
  EXPECT_EQ(Ctl({"raw", "0xF2400", "--out", "4"}).Out,
            "Status: STATUS_SUCCESS\nInformation: 4\nOutput: 01 00 00 00\n");
  EXPECT_EQ(Ctl({"raw", "IOCTL_TOUCH_SET_MOUSE_MODE", "03000000"}).Out,
            "Status: STATUS_SUCCESS\nInformation: 0\n");
  EXPECT_EQ(Ctl({"get-mouse-mode"}).Out, "Status: STATUS_SUCCESS\nMouseMode: 3\n");

  {
    std::lock_guard guard(driver_.Mutex);
    driver_.Harness.Kernel.OnBlockingWait = [this] {
      driver_.Harness.Deliver(std::vector<std::uint8_t>{kSOH, kModeAccepted});
    };
  }
  const CtlRun partial = Ctl({"pass-through", "01 51 56 33 0D", "--reply", "3"});
  EXPECT_EQ(partial.Exit, 0);
  EXPECT_EQ(partial.Out, "Status: STATUS_TIMEOUT\nInformation: 2\nReply: 01 30\n");
}

TEST_F(Qvtouchctl, UsageErrorsExitWithTwo) {
  for (const auto& args : std::vector<std::vector<std::string_view>>{
           {},
           {"no-such-command"},
           {"set-rbn-delay", "256"},
           {"set-button-mode"},
           {"set-mouse-mode", "4294967296"},
           {"raw", "NOT_A_REQUEST"},
           {"raw", "0xF2400", "zz"},
           {"pass-through", "0151"},
           {"pass-through", "015", "--reply", "3"},
           {"capture-report", "--out", "5000"},
           {"get-beep", "--device"},
       }) {
    const CtlRun run = Ctl(args);
    EXPECT_EQ(run.Exit, 2) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(run.Out.empty());
    EXPECT_TRUE(run.Err.starts_with("qvtouchctl: ")) << run.Err;
  }
  EXPECT_EQ(Ctl({"--help"}).Exit, 0);
}

TEST_F(Qvtouchctl, AMissingDeviceFailsWithOne) {
  const CtlRun run = Ctl({"--device", "\\\\.\\qvhwtouch", "get-screen-post"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Err, "qvtouchctl: \\\\.\\qvhwtouch: no such device\n");
}

}  // namespace
}  // namespace qvtouch::platform
