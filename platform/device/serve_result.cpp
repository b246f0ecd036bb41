#include "platform/device/serve_result.h"

#include <cerrno>
#include <cstring>

namespace qvtouch::platform {

ServeResult SystemFailure(const std::string& what, int error) {
  const NtStatus status =
      error == EACCES || error == EPERM ? STATUS_ACCESS_DENIED : STATUS_UNSUCCESSFUL;
  return {status, what + ": " + std::strerror(error)};
}

ServeResult NameTaken(const std::filesystem::path& path) {
  return {STATUS_OBJECT_NAME_COLLISION,
          "device name taken: " + path.string() + " is served by a live server"};
}

}  // namespace qvtouch::platform
