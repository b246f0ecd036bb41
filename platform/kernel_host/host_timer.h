// A one-shot timer for the driver host: its own thread sleeps until the due time and runs the
// deferred routine. The routine runs with the timer's lock held, so Set and Cancel wait for a
// routine that is running: once Set returns, no earlier expiry can still act.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "driver/kernel.h"

namespace qvtouch::platform {

class HostTimer final : public driver::KernelTimer {
 public:
  explicit HostTimer(std::function<void()> deferredRoutine);
  ~HostTimer() override;
  HostTimer(const HostTimer&) = delete;
  HostTimer& operator=(const HostTimer&) = delete;

  bool Set(std::int64_t dueTime) override;
  bool Cancel() override;

 private:
  void Run();

  using Clock = std::chrono::steady_clock;
  std::function<void()> routine_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Clock::time_point> due_;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the fields above exist
};

}  // namespace qvtouch::platform
