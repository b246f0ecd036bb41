#include "platform/posix/stop_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace qvtouch::platform {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopSignal::Raise() {
  raised_.store(true);
  const std::uint64_t one = 1;
  // A write fails only when the counter is already at its limit, which is readable anyway.
  [[maybe_unused]] const ssize_t written = ::write(fd_.Get(), &one, sizeof(one));
}

}  // namespace qvtouch::platform
