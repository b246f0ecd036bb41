// An event that lets one waiter through per signal and then resets itself.
#pragma once

#include <condition_variable>
#include <mutex>

namespace qvtouch::calib {

class AutoResetEvent {
 public:
  void Set() {
    {
      std::lock_guard guard(mutex_);
      signalled_ = true;
    }
    changed_.notify_one();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace qvtouch::calib
