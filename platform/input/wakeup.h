// Wakes a sleeping thread from a context that must not block or allocate: Signal is one write to
// an eventfd counter, Wait sleeps until the counter is non-zero and resets it.
#pragma once

namespace qvtouch::platform {

class Wakeup {
 public:
  Wakeup();  // throws std::system_error when no eventfd can be made
  ~Wakeup();
  Wakeup(const Wakeup&) = delete;
  Wakeup& operator=(const Wakeup&) = delete;

  void Signal() noexcept;
  // Returns after at least one Signal since the previous return; signals in between coalesce.
  void Wait() noexcept;

 private:
  int fd_;
};

}  // namespace qvtouch::platform
