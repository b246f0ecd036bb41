// An event that lets one waiter through per signal and then resets itself: on Windows the
// platform's own auto-reset event.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#endif

namespace qvtouch::platform {

class AutoResetEvent {
 public:
  // Not signalled.
  AutoResetEvent();
  ~AutoResetEvent();
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  // False when the platform could not make the event (never on Linux).
  bool Valid() const;
  void Set();
  // Waits without a time limit for a signal, and takes it.
  void Wait();

 private:
#ifdef _WIN32
  HANDLE event_;
#else
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
#endif
};

}  // namespace qvtouch::platform
