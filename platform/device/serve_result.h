// The outcome of serving a device name, and the failures that the server's parts share.
#pragma once

#include <filesystem>
#include <string>

#include "common/status.h"

namespace qvtouch::platform {

struct ServeResult {
  // STATUS_SUCCESS; STATUS_OBJECT_NAME_COLLISION when a live server (this one or another) already
  // serves the name; STATUS_INVALID_PARAMETER for a name that cannot be served;
  // STATUS_ACCESS_DENIED or STATUS_UNSUCCESSFUL when the socket cannot be made.
  NtStatus Status = STATUS_SUCCESS;
  std::string Error;  // what went wrong, for the host's message; empty on success
};

// A failed system call: access problems become STATUS_ACCESS_DENIED, the rest STATUS_UNSUCCESSFUL.
ServeResult SystemFailure(const std::string& what, int error);

// The name of the socket at `path` belongs to a live server.
ServeResult NameTaken(const std::filesystem::path& path);

}  // namespace qvtouch::platform
