// The touch beep and the test beep: a tone started at once and ended by a one-shot timer, so that
// the read completion never waits for it.
#include <mutex>

#include "common/wrap32.h"
#include "driver/driver.h"

namespace qvtouch::driver {

void TouchDriver::TouchBeep(TouchStatus status) {
  const DriverContext& c = context_;
  if ((c.BeepMode == kBeepOnPress && status == TouchStatus::Press) ||
      (c.BeepMode == kBeepOnRelease && status == TouchStatus::Release)) {
    StartBeep(c.BeepFreq1, c.BeepTime);
  }
}

void TouchDriver::StartBeep(std::uint32_t frequency, std::uint32_t milliseconds) {
  // The switch-off is re-armed before the tone starts, so that a switch-off already under way
  // for an earlier tone cannot silence this one. A new tone replaces a sounding one and ends
  // `milliseconds` after this start.
  const std::int32_t dueTime =
      WrapMul(static_cast<std::int32_t>(milliseconds), -static_cast<std::int32_t>(kUnitsPerMillisecond));
  context_.BeepTimer->Set(dueTime);
  kernel_.MakeBeep(frequency);
}

void TouchDriver::BeepDpc() { kernel_.MakeBeep(0); }

}  // namespace qvtouch::driver
