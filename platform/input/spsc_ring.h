// A fixed-size lock-free ring for one producer and one consumer. Pushing never blocks and never
// allocates: a full ring refuses the element. Producers on several threads are fine as long as
// they never push at the same time and each push happens-before the next (the driver calls the
// class service under its spin lock).
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>

namespace qvtouch::platform {

template <typename T, std::size_t Capacity>
class SpscRing {
  static_assert(std::has_single_bit(Capacity), "the index wraps with a mask");

 public:
  // Producer side: false when the ring is full.
  bool TryPush(const T& element) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    slots_[tail & kMask] = element;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer side: false when the ring is empty.
  bool TryPop(T& element) {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    element = slots_[head & kMask];
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

 private:
  static constexpr std::size_t kMask = Capacity - 1;

  std::array<T, Capacity> slots_{};
  // On their own cache lines: each side writes one index and only reads the other.
  alignas(64) std::atomic<std::size_t> head_{0};  // next to pop; written by the consumer
  alignas(64) std::atomic<std::size_t> tail_{0};  // next to push; written by the producer
};

}  // namespace qvtouch::platform
