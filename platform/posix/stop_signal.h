// A one-way signal that wakes every poll watching its descriptor: once raised, it stays raised.
#pragma once

#include <atomic>

#include "platform/posix/unix_socket.h"

namespace qvtouch::platform {

class StopSignal {
 public:
  StopSignal();
  // False when no descriptor could be made (errno says why).
  bool Valid() const { return fd_.Valid(); }
  void Raise();
  bool Raised() const { return raised_.load(); }
  // Readable once raised.
  int Fd() const { return fd_.Get(); }

 private:
  UniqueFd fd_;
  std::atomic<bool> raised_{false};
};

}  // namespace qvtouch::platform
