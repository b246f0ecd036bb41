// Any settings, any calibration, any byte stream through the read completion. The input starts
// with the stored settings (18 x 4 bytes, in the order of the settings table), a byte of switches,
// and a calibration block for the switch that sends one; the rest is the line.
//
// One driver serves every input: starting one per input spent most of the time in the start's
// code. Before each input the driver is brought back to one known state through its own requests
// and reports, so that an input behaves the same whatever ran before it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "common/setting_values.h"
#include "common/touch_report.h"
#include "driver/driver_harness.h"

namespace {

using qvtouch::TouchStatus;
using qvtouch::driver::DriverHarness;
using qvtouch::driver::kSettings;

enum Switch : std::uint8_t {
  kArmCapture = 1,
  kSendCalibration = 2,  // bypasses the checks of the settings load
  kAnyMouseMode = 4,     // the mode from the first setting, unchecked
  kPointerOff = 8,
  kFailEveryNinth = 16,  // a read fails before every ninth byte
};

constexpr std::uint32_t kPortThatOpens = 1;  // any other number may never open

std::uint32_t DefaultOf(std::string_view name) {
  return std::ranges::find(kSettings, name, &qvtouch::driver::SettingDefinition::Name)->Default;
}

void Deliver(DriverHarness& harness, TouchStatus status, std::uint16_t x, std::uint16_t y) {
  harness.Deliver(qvtouch::TouchReport{static_cast<std::uint8_t>(status), x, y, {}}.Encode());
}

// The known state: no partial report, no tone, the pointer enabled once, the point capture done
// (it moves no further, as before the first arm), and the jitter window anchored at the first
// corner with its right click done. The reset's own reports depend only on the settings it stores.
void Reset(DriverHarness& harness) {
  harness.Port().Fail();                     // a partly received report is dropped
  harness.Kernel.AdvanceMilliseconds(1000);  // the last input's tone has ended
  harness.Kernel.Tones.clear();
  for (const std::string_view name : {"Xc", "XL", "Yc", "YL", "ScreenPost"}) {
    harness.StoreSetting(std::string(name), DefaultOf(name));
  }
  harness.StoreSetting("MouseMode", qvtouch::kClickOnPress);
  harness.StoreSetting("BeepMode", qvtouch::kBeepNone);
  harness.StoreSetting("RBNDelay", 1);
  harness.Control(qvtouch::IOCTL_TOUCH_RELOAD_SETTINGS);
  harness.Control(qvtouch::IOCTL_TOUCH_DISABLE_POINTER);  // the count never goes below 0
  harness.Control(qvtouch::IOCTL_TOUCH_ENABLE_POINTER);
  harness.Control(qvtouch::IOCTL_TOUCH_ARM_CAPTURE);
  // Corners far apart, beyond the default span's jitter window: wherever the window was anchored,
  // the release at the first corner leaves it and anchors it there, and the hold there
  // right-clicks.
  Deliver(harness, TouchStatus::Press, 0, 0);
  Deliver(harness, TouchStatus::Hold, 0xFFFF, 0xFFFF);
  Deliver(harness, TouchStatus::Release, 0, 0);
  Deliver(harness, TouchStatus::Hold, 0, 0);
}

DriverHarness& Driver() {
  static DriverHarness* const harness = [] {
    auto* started = new DriverHarness({{"Port", kPortThatOpens}});  // lives as long as the process
    started->OnSend = [](const qvtouch::MOUSE_INPUT_DATA&) {};
    return started;
  }();
  return *harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  const auto take = [&input](std::size_t count) {
    const auto taken = input.first(std::min(count, input.size()));
    input = input.subspan(taken.size());
    return taken;
  };

  DriverHarness& harness = Driver();
  Reset(harness);
  // The settings the input holds; the others are absent, which loads as their defaults.
  const auto stored = take(4 * kSettings.size());
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    const bool given = 4 * i + 4 <= stored.size() && kSettings[i].Name != "Port";
    harness.StoreSetting(std::string(kSettings[i].Name),
                         given ? qvtouch::LoadU32(stored, 4 * i) : kSettings[i].Default);
  }
  harness.Control(qvtouch::IOCTL_TOUCH_RELOAD_SETTINGS);

  const auto switches = take(1);
  const std::uint8_t on = switches.empty() ? 0 : switches[0];
  if (on & kArmCapture) harness.Control(qvtouch::IOCTL_TOUCH_ARM_CAPTURE);
  if (on & kSendCalibration) harness.Control(qvtouch::IOCTL_TOUCH_SET_CALIBRATION, take(68));
  if ((on & kAnyMouseMode) && stored.size() >= 4) {
    harness.Control(qvtouch::IOCTL_TOUCH_SET_MOUSE_MODE, stored.first(4));
  }
  if (on & kPointerOff) harness.Control(qvtouch::IOCTL_TOUCH_DISABLE_POINTER);

  for (std::size_t i = 0; i < input.size(); ++i) {
    if ((on & kFailEveryNinth) && i % 9 == 0) harness.FailRead();
    harness.Port().Deliver(input[i]);
  }
  harness.Kernel.AdvanceMilliseconds(1000);
  return 0;
}
