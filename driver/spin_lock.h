// A spin lock for user-mode kernels (the fake and the Linux host): the read completion must never
// sleep, so it spins; holders keep the lock for a few field copies only.
#pragma once

#include <atomic>
#include <thread>

#include "driver/kernel.h"

namespace qvtouch::driver {

class SpinLock final : public KernelSpinLock {
 public:
  void lock() override {
    if (locked_.exchange(true, std::memory_order_acquire)) [[unlikely]] LockContended();
  }
  void unlock() override { locked_.store(false, std::memory_order_release); }

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
