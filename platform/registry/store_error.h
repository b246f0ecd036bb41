// A failure that ends a registry call with its result. The store throws it from wherever the
// failure shows (an SQLite error, a refused folder, a deleted key); the call turns it into its
// LSTATUS, so no exception ever leaves the registry calls.
#pragma once

#include <exception>

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

class StoreError : public std::exception {
 public:
  explicit StoreError(LSTATUS status) : status_(status) {}
  LSTATUS Status() const { return status_; }
  const char* what() const noexcept override { return "registry store failure"; }

 private:
  LSTATUS status_;
};

}  // namespace qvtouch::platform
