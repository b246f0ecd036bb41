#include "platform/input/wakeup.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace qvtouch::platform {

Wakeup::Wakeup() : fd_(::eventfd(0, EFD_CLOEXEC)) {
  if (fd_ == -1) throw std::system_error(errno, std::generic_category(), "eventfd");
}

Wakeup::~Wakeup() {
  ::close(fd_);
}

void Wakeup::Signal() noexcept {
  // Adding 1 fails only when the counter is near 2^64, which unread signals never reach.
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof(one));
}

void Wakeup::Wait() noexcept {
  std::uint64_t count = 0;
  while (::read(fd_, &count, sizeof(count)) == -1 && errno == EINTR) {
  }
}

}  // namespace qvtouch::platform
