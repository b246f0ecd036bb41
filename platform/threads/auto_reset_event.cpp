#include "platform/threads/auto_reset_event.h"

namespace qvtouch::platform {

AutoResetEvent::AutoResetEvent() = default;

AutoResetEvent::~AutoResetEvent() = default;

bool AutoResetEvent::Valid() const {
  return true;
}

void AutoResetEvent::Set() {
  {
    std::lock_guard guard(mutex_);
    signalled_ = true;
  }
  changed_.notify_one();
}

void AutoResetEvent::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return signalled_; });
  signalled_ = false;
}

}  // namespace qvtouch::platform
