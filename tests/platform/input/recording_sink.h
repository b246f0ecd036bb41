// A pointer sink that keeps every record it is given, for tests that wait on the delivery thread.
// It can hold the delivery thread inside Deliver until the test opens its gate.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/input/pointer_sink.h"

namespace qvtouch::platform::testing {

class RecordingSink final : public PointerSink {
 public:
  // A bound on every wait, so that a broken delivery fails the test instead of hanging it.
  static constexpr std::chrono::seconds kPatience{20};

  explicit RecordingSink(bool gateOpen = true) : gateOpen_(gateOpen) {}

  void Deliver(const MOUSE_INPUT_DATA& record) override {
    std::unique_lock lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return gateOpen_; });
    records_.push_back(record);
    changed_.notify_all();
  }

  // Waits until at least count records have arrived (or the patience runs out); returns them all.
  std::vector<MOUSE_INPUT_DATA> WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kPatience, [&] { return records_.size() >= count; });
    return records_;
  }
  // Waits until the delivery thread is inside Deliver; false when it never gets there.
  bool WaitUntilEntered() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [this] { return entered_ > 0; });
  }
  void OpenGate() {
    const std::lock_guard guard(mutex_);
    gateOpen_ = true;
    changed_.notify_all();
  }
  std::vector<MOUSE_INPUT_DATA> Records() {
    const std::lock_guard guard(mutex_);
    return records_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool gateOpen_;
  std::size_t entered_ = 0;
  std::vector<MOUSE_INPUT_DATA> records_;
};

}  // namespace qvtouch::platform::testing
