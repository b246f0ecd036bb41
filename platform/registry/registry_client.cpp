#include "platform/registry/registry_client.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <array>
#include <cerrno>

#include "common/little_endian.h"
#include "platform/paths/paths.h"
#include "platform/posix/unix_socket.h"
#include "platform/registry/change_wire.h"

namespace qvtouch::platform {
namespace {

// How long a program waits for the service's reply: a transaction takes milliseconds.
constexpr timeval kReplyPatience{30, 0};

}  // namespace

std::filesystem::path RegistryServiceSocket() {
  return RuntimeDir() / "registry";
}

ChangeResult SendToRegistryService(std::span<const HiveChange> changes) {
  std::vector<std::uint8_t> request = EncodeChanges(changes);
  if (request.size() > kMaxChangeMessage) return {ERROR_INVALID_PARAMETER, std::nullopt};
  const auto address = SocketAddress(RegistryServiceSocket());
  UniqueFd socket = NewStreamSocket();
  if (!address || !socket ||
      ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) !=
          0) {
    return {ERROR_ACCESS_DENIED, std::nullopt};
  }
  // A service that answers before reading all (it is busy) has its answer read all the same.
  SocketStream(socket.Get()).WriteAll(Framed(std::move(request)));
  ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &kReplyPatience, sizeof(kReplyPatience));
  std::array<std::uint8_t, kFrameLengthSize + kResultSize> reply{};
  ssize_t got = -1;
  do {
    got = ::recv(socket.Get(), reply.data(), reply.size(), MSG_WAITALL);
  } while (got < 0 && errno == EINTR);
  if (got != static_cast<ssize_t>(reply.size()) || LoadU32(reply, 0) != kResultSize) {
    return {ERROR_REGISTRY_IO_FAILED, std::nullopt};
  }
  return DecodeResult(std::span(reply).subspan(kFrameLengthSize))
      .value_or(ChangeResult{ERROR_REGISTRY_IO_FAILED, std::nullopt});
}

}  // namespace qvtouch::platform
