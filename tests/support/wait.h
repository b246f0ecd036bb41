// Waiting in tests for something that happens on another thread or in another process.
#pragma once

#include <chrono>
#include <thread>

namespace qvtouch::testing {

// Polls until the condition holds or the bound passes; returns whether it held. The bound only
// keeps a broken test from hanging: nothing is asserted about how long it took.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace qvtouch::testing
