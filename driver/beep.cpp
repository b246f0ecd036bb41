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
  // The earlier tone's switch-off is cancelled before the tone starts, so that one already under
  // way cannot silence this tone; this tone's switch-off is armed only once it sounds, so that it
  // cannot fall due first, however long this thread is held up in between. A new tone replaces a
  // sounding one and ends `milliseconds` after this start.
  const std::int32_t dueTime =
      WrapMul(static_cast<std::int32_t>(milliseconds), -static_cast<std::int32_t>(kUnitsPerMillisecond));
  context_.BeepTimer->Cancel();
  kernel_.MakeBeep(frequency);
  context_.BeepTimer->Set(dueTime);
}

void TouchDriver::BeepDpc() { kernel_.MakeBeep(0); }

}  // namespace qvtouch::driver
