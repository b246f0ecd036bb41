// The listening socket of one served device name.
//
// A name belongs to the live server that holds its lock file (<socket>.lock, locked with flock for
// the server's lifetime). A socket file that no lock covers and on which nobody accepts
// connections was left by a dead server and is replaced. The socket is made with mode 0660, given to the group "qvtouch" when that group
// exists, and only then starts listening, so no other user can connect at any moment.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "common/status.h"
#include "platform/posix/unix_socket.h"

namespace qvtouch::platform {

// The outcome of serving a name.
struct ServeResult {
  // STATUS_SUCCESS; STATUS_OBJECT_NAME_COLLISION when a live server (this one or another) already
  // serves the name; STATUS_INVALID_PARAMETER for a name that cannot be served; STATUS_ACCESS_DENIED
  // or STATUS_UNSUCCESSFUL when the socket cannot be made.
  NtStatus Status = STATUS_SUCCESS;
  std::string Error;  // what went wrong, for the host's message; empty on success
};

inline constexpr std::string_view kDeviceGroup = "qvtouch";

class DeviceListener {
 public:
  // Claims the socket of a device key and listens on it (non-blocking).
  static ServeResult Open(std::string_view key, std::unique_ptr<DeviceListener>& listener);
  // Removes the socket file, then gives up the name.
  ~DeviceListener();
  DeviceListener(const DeviceListener&) = delete;
  DeviceListener& operator=(const DeviceListener&) = delete;

  int Fd() const { return socket_.Get(); }
  const std::filesystem::path& SocketPath() const { return socketPath_; }

 private:
  DeviceListener(std::filesystem::path socketPath, UniqueFd lock, UniqueFd socket);

  std::filesystem::path socketPath_;
  UniqueFd lock_;
  UniqueFd socket_;
};

}  // namespace qvtouch::platform
