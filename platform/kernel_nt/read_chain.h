// The chain of one-byte reads on the serial port, without nesting.
//
// The port driver may complete a read inside the very call that issues it, when the byte is
// already buffered, and the read completion asks for the next read from inside that completion.
// Issuing it there would nest one completion in another for every buffered byte, and a burst
// would overflow the kernel stack. So the call that issues a read loops instead: a completion that
// runs while a read is being issued (nested in that call, or on another processor) hands the next
// read over to it, and only a completion that comes later, on its own, issues the next read itself.
//
// Platform-neutral: the platform's port supplies the call into the port driver, the cancel and a
// short pause.
#pragma once

#include <atomic>

#include "common/status.h"

namespace qvtouch::platform {

class ReadChain {
 public:
  // Issues a read: the chain's first, or the next one that a completion handler asks for (then it
  // is issued once the handler has returned).
  NtStatus Read() {
    if (nextRead_ != nullptr) {
      *nextRead_ = true;
      nextRead_ = nullptr;
      return STATUS_PENDING;
    }
    return Issue();
  }

  // Runs the completion handler of the read that has completed. The handler asks for the next read
  // through Read(); when it does not, a read asked for later comes from elsewhere and is issued by
  // its caller, or the chain has ended and its owner may go as soon as this returns.
  template <typename Handler>
  void Completed(Handler&& handler) {
    bool nextReadWanted = false;
    completing_.fetch_add(1);
    nextRead_ = &nextReadWanted;
    handler();
    nextRead_ = nullptr;
    completing_.fetch_sub(1);  // the last touch when no read follows
    if (!nextReadWanted) return;
    int issuing = kIssuing;
    if (state_.compare_exchange_strong(issuing, kHandedOver)) return;
    Issue();
  }

  // Cancels the outstanding read, and every read issued after this, so that a cancel that comes
  // while the next read is being prepared is not lost.
  void Cancel() {
    cancelled_.store(true);
    CancelPortRead();
  }

 protected:
  ~ReadChain() = default;

  // Waits until no call that issues a read and no completion handler is still running, before the
  // port is released.
  void WaitUntilIdle() {
    while (state_.load() != kIdle || completing_.load() != 0) Pause();
  }

  // Passes the prepared read to the port driver, which may complete it before returning.
  virtual NtStatus CallPortDriver() = 0;
  // Cancels the read passed to the port driver, if it is still outstanding.
  virtual void CancelPortRead() = 0;
  // Lets a call on another processor go on for a moment.
  virtual void Pause() = 0;

 private:
  static constexpr int kIdle = 0;
  static constexpr int kIssuing = 1;     // a call is issuing a read
  static constexpr int kHandedOver = 2;  // and must issue the next one as well

  NtStatus Issue() {
    NtStatus status = STATUS_SUCCESS;
    do {
      state_.store(kIssuing);
      status = CallPortDriver();
      if (cancelled_.load()) CancelPortRead();
    } while (state_.exchange(kIdle) == kHandedOver);
    return status;
  }

  std::atomic<int> state_{kIdle};
  std::atomic<bool> cancelled_{false};
  std::atomic<int> completing_{0};  // completion handlers running
  bool* nextRead_ = nullptr;        // set while a completion handler runs
};

}  // namespace qvtouch::platform
