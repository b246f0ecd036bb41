// The error of a sink that cannot be chosen or opened: a bad sink value, a missing device, a
// display that does not answer. Its message is one line the host can print as it stands.
#pragma once

#include <stdexcept>

namespace qvtouch::platform {

class SinkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qvtouch::platform
