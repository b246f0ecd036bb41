// Any settings, any calibration, any byte stream through the read completion. The input starts
// with the stored settings (18 x 4 bytes, in the order of the settings table), a byte of switches,
// and a calibration block for the switch that sends one; the rest is the line.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"

namespace {

using qvtouch::driver::DriverHarness;

enum Switch : std::uint8_t {
  kArmCapture = 1,
  kSendCalibration = 2,   // bypasses the checks of the settings load
  kAnyMouseMode = 4,      // the mode from the first setting, unchecked
  kPointerOff = 8,
  kFailEveryNinth = 16,   // a read fails before every ninth byte
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  const auto take = [&input](std::size_t count) {
    const auto taken = input.first(std::min(count, input.size()));
    input = input.subspan(taken.size());
    return taken;
  };

  DriverHarness::Settings settings;
  const auto stored = take(4 * qvtouch::driver::kSettings.size());
  for (std::size_t i = 0; i + 4 <= stored.size(); i += 4) {
    settings[std::string(qvtouch::driver::kSettings[i / 4].Name)] = qvtouch::LoadU32(stored, i);
  }
  settings.erase("Port");  // a port number outside 1 to 9 is never opened: the driver would wait
  DriverHarness harness(settings);
  harness.Control(qvtouch::IOCTL_TOUCH_RELOAD_SETTINGS);

  const auto switches = take(1);
  const std::uint8_t on = switches.empty() ? 0 : switches[0];
  if (on & kArmCapture) harness.Control(qvtouch::IOCTL_TOUCH_ARM_CAPTURE);
  if (on & kSendCalibration) harness.Control(qvtouch::IOCTL_TOUCH_SET_CALIBRATION, take(68));
  if ((on & kAnyMouseMode) && stored.size() >= 4) {
    harness.Control(qvtouch::IOCTL_TOUCH_SET_MOUSE_MODE, stored.first(4));
  }
  if (on & kPointerOff) harness.Control(qvtouch::IOCTL_TOUCH_DISABLE_POINTER);

  harness.OnSend = [](const qvtouch::MOUSE_INPUT_DATA&) {};
  for (std::size_t i = 0; i < input.size(); ++i) {
    if ((on & kFailEveryNinth) && i % 9 == 0) harness.Port().Fail();
    harness.Port().Deliver(input[i]);
  }
  harness.Kernel.AdvanceMilliseconds(1000);
  return 0;
}
