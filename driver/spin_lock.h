// A spin lock for the short sections that the read completion shares with control requests. The
// read completion must never sleep, so it spins; holders keep the lock for a few field copies only.
#pragma once

#include <atomic>
#include <thread>

namespace qvtouch::driver {

class SpinLock {
 public:
  void lock() {
    while (locked_.exchange(true, std::memory_order_acquire)) {
      while (locked_.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
  }
  void unlock() { locked_.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> locked_{false};
};

}  // namespace qvtouch::driver
