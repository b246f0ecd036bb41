#include "platform/posix/unix_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace qvtouch::platform {

std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& text = path.native();
  if (text.empty() || text.size() >= sizeof(address.sun_path)) return std::nullopt;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

UniqueFd NewStreamSocket(int flags) {
  return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
}

bool SocketStream::ReadExact(std::span<std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t received = ::recv(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT);
    if (received > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(received));
    } else if (received == 0) {
      return false;  // the peer closed
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!Wait(POLLIN)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

bool SocketStream::WriteAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent >= 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(sent));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!Wait(POLLOUT)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

bool SocketStream::Wait(short events) {
  std::vector<pollfd> fds{{fd_, events, 0}};
  for (const int stop : stopFds_) fds.push_back({stop, POLLIN, 0});
  for (;;) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents != 0) return false;
    }
    // Hang-up and errors count as ready: the next transfer reports them.
    return true;
  }
}

}  // namespace qvtouch::platform
