#include "platform/kernel_host/host_timer.h"

#include <utility>

#include "platform/kernel_host/host_event.h"

namespace qvtouch::platform {

HostTimer::HostTimer(std::function<void()> deferredRoutine)
    : routine_(std::move(deferredRoutine)), thread_([this] { Run(); }) {}

HostTimer::~HostTimer() {
  {
    std::lock_guard guard(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool HostTimer::Set(std::int64_t dueTime) {
  bool wasSet = false;
  {
    std::lock_guard guard(mutex_);
    wasSet = due_.has_value();
    due_ = Clock::now() + RelativeDuration(dueTime);
  }
  changed_.notify_all();
  return wasSet;
}

bool HostTimer::Cancel() {
  std::lock_guard guard(mutex_);
  return std::exchange(due_, std::nullopt).has_value();
}

void HostTimer::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!due_) {
      changed_.wait(lock);  // idle: no wake-ups until the timer is set
    } else if (Clock::now() < *due_) {
      changed_.wait_until(lock, *due_);
    } else {
      due_.reset();
      routine_();
    }
  }
}

}  // namespace qvtouch::platform
