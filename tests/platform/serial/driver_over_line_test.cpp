// The driver on the host kernel with its COM port on the simulator's pty: touches reach the
// calibration capture, and a cable pulled and plugged in again costs the driver nothing but the
// touches in between.
#include <signal.h>

#include <gtest/gtest.h>

#include <array>

#include "common/capture.h"
#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver.h"
#include "platform/kernel_host/host_kernel.h"
#include "platform/serial/com_ports.h"
#include "tests/platform/serial/serial_test_support.h"
#include "tests/platform/serial/sim_process.h"

namespace qvtouch::platform {
namespace {

using testing::SimProcess;

constexpr std::string_view kServiceKey =
    "\\Registry\\Machine\\System\\CurrentControlSet\\Services\\QVTouch";

// A control request as a program sends it; the output words, or nothing when it fails.
std::optional<std::vector<std::uint32_t>> Control(driver::TouchDriver& driver, std::uint32_t code,
                                                  std::vector<std::uint8_t> input = {},
                                                  std::size_t outputWords = 0) {
  std::vector<std::uint8_t> output(4 * outputWords);
  driver::IoRequest request{driver::MajorFunction::DeviceControl, code, input, output};
  if (driver.Dispatch(request) != STATUS_SUCCESS) return std::nullopt;
  std::vector<std::uint32_t> words;
  for (std::size_t i = 0; i < outputWords; ++i) words.push_back(LoadU32(output, 4 * i));
  return words;
}

// Arms the calibration capture, taps, and waits until the capture has seen the whole touch.
bool CapturesATap(driver::TouchDriver& driver, SimProcess& sim, std::uint16_t x, std::uint16_t y) {
  if (!Control(driver, IOCTL_TOUCH_ARM_CAPTURE)) return false;
  sim.Input("tap " + std::to_string(x) + " " + std::to_string(y) + "\n");
  const std::vector<std::uint32_t> released{static_cast<std::uint32_t>(CaptureReleased), x, y};
  return testing::WaitUntil(
      [&] { return Control(driver, IOCTL_TOUCH_GET_CAPTURE, {}, 3) == released; });
}

TEST(DriverOverTheLine, CapturesTouchesBeforeAndAfterTheCableIsPluggedInAgain) {
  testing::TempDir dir;
  const std::filesystem::path link = dir.Path() / "ttyTouch";
  auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--pty", link, "--linger"});
  ASSERT_TRUE(testing::WaitUntil([&link] { return std::filesystem::exists(link); }));

  HostServices services;
  services.QueryValues = [](std::string_view, std::span<const driver::RegistryDwordQuery>) {
    return STATUS_SUCCESS;  // every setting at its default: the port is COM1
  };
  ComPorts ports([&link](std::string_view name) -> std::optional<std::string> {
    if (name == "COM1") return link.string();
    return std::nullopt;
  });
  services.OpenSerialPort = [&ports](std::string_view name, driver::ReadCompletionSink& sink,
                                     NtStatus& status) { return ports.Open(name, sink, status); };
  services.PublishLink = [](std::string_view, driver::DeviceDispatch&) { return STATUS_SUCCESS; };
  services.WithdrawLink = [](std::string_view) {};
  services.MakeBeep = [](std::uint32_t) {};
  HostKernel kernel(services);
  driver::TouchDriver driver(kernel);
  ASSERT_EQ(driver.DriverEntry(kServiceKey), STATUS_SUCCESS);

  EXPECT_TRUE(CapturesATap(driver, *sim, 100, 200));
  std::vector<std::uint8_t> placement(4);
  StoreU32(placement, 0, 17);
  ASSERT_TRUE(Control(driver, IOCTL_TOUCH_SET_SCREEN_POST, placement));

  sim->Signal(SIGTERM);  // closes the pty's master: the cable is pulled
  ASSERT_EQ(sim->Wait(), 0);
  sim = std::make_unique<SimProcess>(std::vector<std::string>{"--pty", link, "--linger"});
  EXPECT_TRUE(CapturesATap(driver, *sim, 300, 400));
  EXPECT_EQ(Control(driver, IOCTL_TOUCH_GET_SCREEN_POST, {}, 1), std::vector<std::uint32_t>{17})
      << "the settings made before are kept";

  driver.Unload();  // returns only once the port has completed the read chain's last read
  sim->Signal(SIGTERM);
  EXPECT_EQ(sim->Wait(), 0);
}

}  // namespace
}  // namespace qvtouch::platform
