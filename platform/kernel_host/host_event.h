// A notification event for the driver host: stays signalled until cleared.
#pragma once

#include <condition_variable>
#include <mutex>

#include "driver/kernel.h"

namespace qvtouch::platform {

class HostEvent final : public driver::KernelEvent {
 public:
  void Set() override;
  void Clear() override;
  NtStatus Wait(std::optional<std::int64_t> timeout) override;

 private:
  std::mutex mutex_;
  std::condition_variable signalled_changed_;
  bool signalled_ = false;
};

// A relative kernel time (negative, 100-ns units) as a duration.
std::chrono::nanoseconds RelativeDuration(std::int64_t relativeTime);

}  // namespace qvtouch::platform
