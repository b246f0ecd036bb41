#include "platform/kernel_host/host_event.h"

namespace qvtouch::platform {

std::chrono::nanoseconds RelativeDuration(std::int64_t relativeTime) {
  return std::chrono::nanoseconds(relativeTime < 0 ? -relativeTime * 100 : 0);
}

void HostEvent::Set() {
  {
    std::lock_guard guard(mutex_);
    signalled_ = true;
  }
  signalled_changed_.notify_all();
}

void HostEvent::Clear() {
  std::lock_guard guard(mutex_);
  signalled_ = false;
}

NtStatus HostEvent::Wait(std::optional<std::int64_t> timeout) {
  std::unique_lock lock(mutex_);
  if (!timeout) {
    signalled_changed_.wait(lock, [this] { return signalled_; });
    return STATUS_SUCCESS;
  }
  const bool signalled =
      signalled_changed_.wait_for(lock, RelativeDuration(*timeout), [this] { return signalled_; });
  return signalled ? STATUS_SUCCESS : STATUS_TIMEOUT;
}

}  // namespace qvtouch::platform
