// Unix domain socket plumbing shared by the server and the client: the socket address of a path,
// and whole-buffer transfers that a stop signal can interrupt.
#pragma once

#include <sys/un.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "platform/posix/unique_fd.h"

namespace qvtouch::platform {

// The address of a socket file; nullopt when the path does not fit into sun_path.
std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path);

// A new stream socket (close-on-exec, plus the given SOCK_* flags), or an invalid descriptor with
// errno set.
UniqueFd NewStreamSocket(int flags = 0);

// Reads and writes whole buffers on a connected socket without raising SIGPIPE. Every wait also
// watches the stop descriptors: once one of them is readable, a transfer that would have to wait
// ends as if the peer had gone.
class SocketStream {
 public:
  explicit SocketStream(int fd, std::span<const int> stopFds = {}) : fd_(fd), stopFds_(stopFds) {}

  // False when the peer closed or failed, or a stop was raised, before the buffer was full.
  bool ReadExact(std::span<std::uint8_t> bytes);
  // False when the peer is gone, or a stop was raised while the socket could take no more.
  bool WriteAll(std::span<const std::uint8_t> bytes);

 private:
  // Waits until the socket is ready for events; false when a stop was raised or polling failed.
  bool Wait(short events);

  int fd_;
  std::span<const int> stopFds_;
};

}  // namespace qvtouch::platform
