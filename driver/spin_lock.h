// A spin lock for the short sections that the read completion shares with control requests. The
// read completion must never sleep, so it spins; holders keep the lock for a few field copies only.
#pragma once

#include <atomic>
#include <thread>

namespace qvtouch::driver {

class SpinLock {
 public:
  void lock() {
    if (locked_.exchange(true, std::memory_order_acquire)) [[unlikely]] LockContended();
  }
  void unlock() { locked_.store(false, std::memory_order_release); }

 private:
  // Apart from lock(), so that the uncontended path stays a single exchange.
  [[gnu::noinline]] void LockContended() {
    do {
      while (locked_.load(std::memory_order_relaxed)) std::this_thread::yield();
    } while (locked_.exchange(true, std::memory_order_acquire));
  }

  std::atomic<bool> locked_{false};
};

}  // namespace qvtouch::driver
