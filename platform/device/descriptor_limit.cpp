#include "platform/device/descriptor_limit.h"

#include <sys/resource.h>

#include <algorithm>

namespace qvtouch::platform {

std::size_t DescriptorLimit() {
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  return static_cast<std::size_t>(limit.rlim_cur);
}

std::size_t RaiseDescriptorLimit(std::size_t wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  const rlim_t raised = std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(wanted));
  if (raised > limit.rlim_cur) {
    limit.rlim_cur = raised;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  return DescriptorLimit();
}

}  // namespace qvtouch::platform
