// Several programs use the control device while the controller streams reports: every report
// still becomes its pointer record, every request completes as it should, and (under the thread
// sanitizer) no race is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "common/controller_commands.h"
#include "common/request_codes.h"
#include "tests/platform/kernel_host/hosted_driver.h"

namespace qvtouch::platform {
namespace {

using namespace qvtouch::platform::testing;

// Fewer reports than the class driver's queue holds, so that a slow sink cannot lose any.
constexpr int kReports = 800;

TEST_F(HostedDriver, ProgramsAndAStreamingControllerAtOnce) {
  // Every Hold report lands outside the jitter window of the one before: one move each.
  const std::string parameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";
  for (const auto& [name, value] : {std::pair{"Xc", 32768}, {"XL", 65536}, {"Yc", 32768},
                                    {"YL", 65536}, {"MouseMode", 1}}) {
    qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, parameters, name, value);
  }
  Plug();
  Start();

  std::atomic<bool> streaming = true;
  std::mutex failuresMutex;
  std::vector<std::string> failures;
  // Notes a request that did not complete as it should, with the program's error.
  const auto expect = [&](bool ok, const char* what) {
    if (ok) return;
    std::lock_guard guard(failuresMutex);
    failures.push_back(std::string(what) + " failed with error " + std::to_string(GetLastError()));
  };

  // The controller's side of the cable: what the host writes to it is read and dropped.
  std::thread drain([this, &streaming] {
    while (streaming) controller_->Receive(1, std::chrono::milliseconds(20));
  });
  std::vector<std::thread> programs;
  programs.emplace_back([&] {  // captures reports
    while (streaming) {
      const Call call = Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
      expect(call.Succeeded || call.Error == ERROR_BUSY, "capture");
      if (call.Succeeded && call.Returned == 10) expect(call.Output[0] == kReportSync1, "report");
    }
  });
  programs.emplace_back([&] {  // sends commands that expect no reply
    const auto command = SetParametersCommand(kNoLinearityCorrection, kNoLinearityCorrection);
    while (streaming) {
      const Call call = Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(command, 0), 0);
      expect(call.Succeeded || call.Error == ERROR_BUSY, "pass-through");
    }
  });
  programs.emplace_back([&] {  // reads and writes settings without changing what they are
    const auto beep = BeepRecord{2, 2000, 40, 2000, 40}.Encode();
    const std::vector<std::uint8_t> post{16, 0, 0, 0};
    while (streaming) {
      expect(Control(IOCTL_TOUCH_SET_BEEP, {beep.begin(), beep.end()}).Succeeded, "set beep");
      expect(Control(IOCTL_TOUCH_SET_SCREEN_POST, post).Succeeded, "set placement");
      expect(Control(IOCTL_TOUCH_ARM_CAPTURE).Succeeded, "arm");
      expect(Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12).Succeeded, "get capture");
      expect(Control(IOCTL_TOUCH_GET_POINTER, {}, 12).Succeeded, "get pointer");
      expect(Control(IOCTL_TOUCH_RELOAD_SETTINGS).Succeeded, "reload");
    }
  });

  for (int i = 0; i < kReports; ++i) {
    controller_->Send(Report(TouchStatus::Hold, static_cast<std::uint16_t>(1000 + (i % 2) * 100), 500));
  }
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == kReports; },
                        std::chrono::seconds(60)))
      << RecordedLines(PointerLog()).size() << " of " << kReports << " records";
  streaming = false;
  for (std::thread& program : programs) program.join();
  drain.join();
  EXPECT_EQ(failures, std::vector<std::string>{});
}

}  // namespace
}  // namespace qvtouch::platform
