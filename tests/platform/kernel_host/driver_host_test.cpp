// The driver host over a real pty, a real socket and a real store in a temporary folder. The test
// plays the touch controller on the pty's master and the programs through the control device.
#include <sys/socket.h>

#include <future>

#include "common/controller_commands.h"
#include "common/request_codes.h"
#include "platform/device/device_name.h"
#include "platform/device/frame.h"
#include "platform/posix/unix_socket.h"
#include "tests/platform/kernel_host/hosted_driver.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::platform {
namespace {

using namespace qvtouch::platform::testing;

TEST_F(HostedDriver, AnswersTheControlRequestsThroughTheSocket) {
  Plug();
  Start();
  EXPECT_EQ(Control(IOCTL_TOUCH_GET_SCREEN_POST, {}, 4).Output, (std::vector<std::uint8_t>{16, 0, 0, 0}));
  const BeepRecord beep{1, 1500, 100, 3000, 200};
  const auto encoded = beep.Encode();
  EXPECT_TRUE(Control(IOCTL_TOUCH_SET_BEEP, {encoded.begin(), encoded.end()}).Succeeded);
  EXPECT_EQ(Control(IOCTL_TOUCH_GET_BEEP, {}, 20).Output,
            std::vector<std::uint8_t>(encoded.begin(), encoded.end()));
  const Call small = Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, 3);
  EXPECT_FALSE(small.Succeeded);
  EXPECT_EQ(small.Error, ERROR_INSUFFICIENT_BUFFER);
  const Call unknown = Control(0x000F2404);
  EXPECT_FALSE(unknown.Succeeded);
  EXPECT_EQ(unknown.Error, ERROR_INVALID_FUNCTION);
  EXPECT_TRUE(Control(IOCTL_TOUCH_BEEP).Succeeded);
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(root_ / "tone.jsonl").size() >= 2; }))
      << "the test tone starts and ends";
}

TEST_F(HostedDriver, TouchesBecomePointerRecords) {
  Plug();
  Start();
  controller_->Send(sim::TouchScript().Tap({0, 0}).Stream());
  ASSERT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 3; }));
  EXPECT_EQ(RecordedLines(PointerLog())[0], R"({"event":"send","flags":1,"buttons":1,"x":32768,"y":32768})");
}

TEST_F(HostedDriver, PassThroughReturnsTheFullPartialOrMissingReply) {
  Plug();
  Start();
  struct Case {
    std::size_t Answered;
    BOOL Succeeded;
    DWORD Returned;
  };
  for (const Case& c : {Case{3, TRUE, 3}, Case{2, TRUE, 2}, Case{0, TRUE, 0}}) {
    auto call = std::async(std::launch::async, [this] {
      return Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
    });
    EXPECT_EQ(controller_->Receive(kEnterAssistedMode.size()),
              std::vector<std::uint8_t>(kEnterAssistedMode.begin(), kEnterAssistedMode.end()));
    const std::vector<std::uint8_t> reply{kSOH, '0', kCR};
    controller_->Send(std::span(reply).first(c.Answered));
    const Call result = call.get();
    EXPECT_EQ(result.Succeeded, c.Succeeded) << c.Answered;
    EXPECT_EQ(result.Returned, c.Returned) << "a time-out is success with the bytes received";
    EXPECT_TRUE(std::equal(result.Output.begin(), result.Output.end(), reply.begin()));
  }
}

TEST_F(HostedDriver, ReportCaptureReturnsTheNextReport) {
  Plug();
  Start();
  auto capture = std::async(std::launch::async,
                            [this] { return Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 2000); });
  const auto report = Report(TouchStatus::Press, 1234, 2345);
  // Keep sending until the capture is waiting for it: a report sent earlier is not the next one.
  while (capture.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    controller_->Send(report);
  }
  const Call result = capture.get();
  EXPECT_TRUE(result.Succeeded);
  EXPECT_EQ(result.Returned, 2000u);
  EXPECT_TRUE(std::equal(report.begin(), report.end(), result.Output.begin()));
}

// A pass-through whose program has gone gives its waiting slot up at once, not at its time-out
// (about five seconds for a long reply): a capture right after it is not refused as busy.
TEST_F(HostedDriver, ARequestWaitingForAReplyEndsWhenItsProgramGoes) {
  Plug();
  Start();
  {
    const auto address = SocketAddress(DeviceSocketPath(*DeviceKey(R"(\\.\qvtouch)")));
    const UniqueFd program = NewStreamSocket();
    ASSERT_EQ(
        connect(program.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)), 0);
    constexpr std::uint32_t kLongReply = 256;
    ASSERT_TRUE(
        SocketStream(program.Get())
            .WriteAll(EncodeRequest(driver::MajorFunction::DeviceControl, IOCTL_TOUCH_PASS_THROUGH,
                                    CommandInput(kEnterAssistedMode, kLongReply), kLongReply)));
    // The command reached the line: the request waits for its reply, which never comes.
    ASSERT_EQ(controller_->Receive(kEnterAssistedMode.size()).size(), kEnterAssistedMode.size());
  }  // the program goes
  const auto gone = std::chrono::steady_clock::now();
  Call capture = Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  while (!capture.Succeeded && capture.Error == ERROR_BUSY &&
         std::chrono::steady_clock::now() - gone < std::chrono::seconds(2)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    capture = Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  }
  EXPECT_TRUE(capture.Succeeded) << "error " << capture.Error << ": the slot stayed taken";
}

// A COM port pointed at another tty is taken there at the driver's next reload, also while the
// tty it had still answers: pass-through commands and touches go by the new line.
TEST_F(HostedDriver, AChangedPortPathIsTakenAtTheReload) {
  Plug();
  Start();
  const std::string moved = (root_ / "ttyMoved").string();
  PtyController second(moved);
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, R"(Software\QVTouch\Ports)", "COM1", moved);
  ASSERT_TRUE(Control(IOCTL_TOUCH_RELOAD_SETTINGS).Succeeded);
  auto call = std::async(std::launch::async, [this] {
    return Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
  });
  EXPECT_EQ(second.Receive(kEnterAssistedMode.size()),
            std::vector<std::uint8_t>(kEnterAssistedMode.begin(), kEnterAssistedMode.end()));
  const std::vector<std::uint8_t> reply{kSOH, '0', kCR};
  second.Send(reply);
  EXPECT_EQ(call.get().Returned, 3u);
  second.Send(Report(TouchStatus::Press, 0, 0));
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 2; }));
}

TEST_F(HostedDriver, UnpluggingAndReplugging) {
  Plug();
  Start();
  controller_->Send(Report(TouchStatus::Press, 0, 0));
  ASSERT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 2; }));
  controller_->Unplug();
  Plug();
  ASSERT_TRUE(WaitForSerialLink());
  controller_->Send(Report(TouchStatus::Press, 0, 0));
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 4; }));
  EXPECT_TRUE(Control(IOCTL_TOUCH_GET_MOUSE_MODE, {}, 4).Succeeded) << "the control device stays";
}

TEST_F(HostedDriver, APortThatAppearsAfterStart) {
  Start();
  const Call early = Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput(kEnterAssistedMode, 3), 3);
  EXPECT_FALSE(early.Succeeded);
  EXPECT_EQ(early.Error, ERROR_NOT_READY);
  Plug();
  ASSERT_TRUE(WaitForSerialLink());
  controller_->Send(Report(TouchStatus::Press, 0, 0));
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 2; }));
}

TEST_F(HostedDriver, UnloadWhileAReadAndACaptureWait) {
  Plug();
  Start();
  auto capture = std::async(std::launch::async,
                            [this] { return Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 4000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let it reach the driver
  host_->Stop();
  const Call result = capture.get();
  EXPECT_FALSE(result.Succeeded);
  EXPECT_EQ(result.Error, ERROR_OPERATION_ABORTED);
  EXPECT_EQ(CreateFileA(R"(\\.\qvtouch)", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE)
      << "the device is gone";
}

TEST_F(HostedDriver, ASecondHostFindsTheDeviceNameTaken) {
  Start();
  try {
    DriverHost second;
    FAIL() << "a second host started";
  } catch (const HostStartError& error) {
    EXPECT_NE(std::string(error.what()), "");
  }
  EXPECT_TRUE(Control(IOCTL_TOUCH_GET_MOUSE_MODE, {}, 4).Succeeded) << "the first one serves on";
}

TEST_F(HostedDriver, DeletedFilesLetNoSecondHostOntoTheLine) {
  Plug();
  Start();
  const std::filesystem::path runtime = root_ / "run/qvtouch";
  std::filesystem::remove(runtime / "qvtouch.sock");
  std::filesystem::remove(runtime / "qvtouch.sock.lock");
  try {
    DriverHost second;
    FAIL() << "a second host started";
  } catch (const HostStartError& error) {
    EXPECT_NE(std::string(error.what()).find("device name taken"), std::string::npos)
        << error.what();
  }
  controller_->Send(Report(TouchStatus::Press, 0, 0));
  EXPECT_TRUE(WaitUntil([this] { return RecordedLines(PointerLog()).size() == 2; }))
      << "the first host reads the line on";
  host_->Stop();
  EXPECT_TRUE(std::filesystem::is_empty(runtime)) << "a clean exit leaves nothing behind";
}

TEST_F(HostedDriver, ADamagedStoreStopsTheStartAndIsLeftAsItIs) {
  const std::filesystem::path hive = root_ / "var/lib/qvtouch/hive/machine.db";
  for (const char* log : {"-wal", "-shm"}) std::filesystem::remove(hive.string() + log);
  std::ofstream(hive, std::ios::binary | std::ios::trunc) << "not a settings store";
  try {
    DriverHost host;
    FAIL() << "the host started on a damaged store";
  } catch (const HostStartError& error) {
    EXPECT_EQ(std::string(error.what()), "the settings store is damaged; it has been left as it is");
  }
  std::ifstream in(hive, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a settings store");
}

}  // namespace
}  // namespace qvtouch::platform
