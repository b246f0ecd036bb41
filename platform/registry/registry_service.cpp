#include "platform/registry/registry_service.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <list>
#include <vector>

#include "common/little_endian.h"
#include "platform/posix/unix_socket.h"
#include "platform/paths/paths.h"
#include "platform/posix/operator_group.h"
#include "platform/registry/change_wire.h"
#include "platform/registry/store_rights.h"

namespace qvtouch::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLengthSize = 4;
constexpr mode_t kSocketMode = 0660;
// How long a program waits for the service's reply: a transaction takes milliseconds.
constexpr timeval kReplyPatience{30, 0};

std::vector<std::uint8_t> Framed(const std::vector<std::uint8_t>& message) {
  std::vector<std::uint8_t> framed(kLengthSize + message.size());
  StoreU32(framed, 0, static_cast<std::uint32_t>(message.size()));
  std::copy(message.begin(), message.end(), framed.begin() + kLengthSize);
  return framed;
}

// The caller at the other end of a connection; nullopt when the system does not say.
std::optional<RegistryCaller> PeerOf(int socket) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
  std::vector<gid_t> groups(64);
  for (;;) {
    auto bytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &bytes) == 0) {
      groups.resize(bytes / sizeof(gid_t));
      break;
    }
    if (errno != ERANGE) return std::nullopt;
    groups.resize(bytes / sizeof(gid_t) + 1);
  }
  return RegistryCaller{credentials.uid, IsOperator(credentials.gid, groups)};
}

// One connection: the request as it arrives.
struct Client {
  UniqueFd Socket;
  Clock::time_point Deadline;
  std::vector<std::uint8_t> Received;
};

// The reply to a whole request.
std::vector<std::uint8_t> Answer(int socket, std::span<const std::uint8_t> request) {
  const auto caller = PeerOf(socket);
  const auto changes = DecodeChanges(request);
  ChangeResult result{ERROR_INVALID_PARAMETER, std::nullopt};
  if (!caller) {
    result.Status = ERROR_ACCESS_DENIED;
  } else if (changes) {
    result = ChangeForCaller(*caller, *changes);
  }
  return Framed(EncodeResult(result));
}

// Reads what has arrived; true once the connection is done with (answered, or gone).
bool Receive(Client& client) {
  std::array<std::uint8_t, 4096> chunk{};
  const ssize_t got = ::recv(client.Socket.Get(), chunk.data(), chunk.size(), MSG_DONTWAIT);
  if (got == 0) return true;
  if (got < 0) return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
  client.Received.insert(client.Received.end(), chunk.begin(), chunk.begin() + got);
  if (client.Received.size() < kLengthSize) return false;
  const std::size_t length = LoadU32(client.Received, 0);
  if (length > kMaxChangeMessage) return true;  // refused unread
  if (client.Received.size() < kLengthSize + length) return false;
  const auto reply =
      Answer(client.Socket.Get(), std::span(client.Received).subspan(kLengthSize, length));
  // A reply of a few bytes fits into any socket's buffer: this never waits.
  SocketStream(client.Socket.Get()).WriteAll(reply);
  return true;
}

std::string Failure(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

std::filesystem::path RegistryServiceSocket() {
  return RuntimeDir() / "registry" / "service.sock";
}

ChangeResult ChangeForCaller(const RegistryCaller& caller, std::span<const HiveChange> changes) {
  if (caller.User != 0) {
    if (!caller.Operator) return {ERROR_ACCESS_DENIED, std::nullopt};
    for (std::size_t index = 0; index < changes.size(); ++index) {
      if (!OperatorMayChange(changes[index])) return {ERROR_ACCESS_DENIED, index};
    }
  }
  return ChangeHive(Hive::LocalMachine, changes);
}

std::unique_ptr<RegistryService> RegistryService::Start(std::string& error) {
  const std::filesystem::path path = RegistryServiceSocket();
  const auto address = SocketAddress(path);
  if (!address) {
    error = "socket path too long: " + path.string();
    return nullptr;
  }
  std::error_code created;
  std::filesystem::create_directories(path.parent_path(), created);
  if (created) {
    error = "cannot create " + path.parent_path().string() + ": " + created.message();
    return nullptr;
  }
  // The driver host runs once, so a socket file here was left by one that ended.
  ::unlink(path.c_str());
  UniqueFd listener = NewStreamSocket(SOCK_NONBLOCK);
  if (!listener || ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&*address),
                          sizeof(*address)) != 0) {
    error = Failure("cannot serve " + path.string());
    return nullptr;
  }
  const auto operators = OperatorGroupId();
  if (::chmod(path.c_str(), kSocketMode) != 0 ||
      (operators && ::chown(path.c_str(), static_cast<uid_t>(-1), *operators) != 0) ||
      ::listen(listener.Get(), SOMAXCONN) != 0) {
    error = Failure("cannot serve " + path.string());
    ::unlink(path.c_str());
    return nullptr;
  }
  return std::unique_ptr<RegistryService>(new RegistryService(std::move(listener)));
}

RegistryService::RegistryService(UniqueFd listener)
    : listener_(std::move(listener)), thread_([this] { Serve(); }) {}

RegistryService::~RegistryService() {
  stop_.Raise();
  thread_.join();
  ::unlink(RegistryServiceSocket().c_str());
  ::rmdir(RegistryServiceSocket().parent_path().c_str());  // nothing is left behind
}

void RegistryService::Serve() {
  std::list<Client> clients;
  std::vector<pollfd> watched;
  while (!stop_.Raised()) {
    watched = {{stop_.Fd(), POLLIN, 0}, {listener_.Get(), POLLIN, 0}};
    for (const Client& client : clients) watched.push_back({client.Socket.Get(), POLLIN, 0});
    const auto now = Clock::now();
    auto wait = std::chrono::milliseconds(-1);
    if (!clients.empty()) {
      wait = std::max(std::chrono::milliseconds(0),
                      std::chrono::duration_cast<std::chrono::milliseconds>(
                          clients.front().Deadline - now));
    }
    if (::poll(watched.data(), watched.size(), static_cast<int>(wait.count())) < 0 &&
        errno != EINTR) {
      return;
    }
    auto each = watched.begin() + 2;
    for (auto client = clients.begin(); client != clients.end(); ++each) {
      const bool done = (each->revents != 0 && Receive(*client)) || Clock::now() >= client->Deadline;
      client = done ? clients.erase(client) : std::next(client);
    }
    if ((watched[1].revents & POLLIN) == 0) continue;
    UniqueFd socket(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket) continue;
    if (clients.size() >= kMaxRegistryClients) {
      SocketStream(socket.Get()).WriteAll(Framed(EncodeResult({ERROR_BUSY, std::nullopt})));
      continue;
    }
    // Deadlines grow in the order of arrival: the first client's is the next to fall due.
    clients.push_back({std::move(socket), Clock::now() + kRequestPatience, {}});
  }
}

ChangeResult SendToRegistryService(std::span<const HiveChange> changes) {
  const auto address = SocketAddress(RegistryServiceSocket());
  UniqueFd socket = NewStreamSocket();
  if (!address || !socket ||
      ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return {ERROR_ACCESS_DENIED, std::nullopt};
  }
  // A service that answers before reading all (it is busy) has its answer read all the same.
  SocketStream(socket.Get()).WriteAll(Framed(EncodeChanges(changes)));
  ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &kReplyPatience, sizeof(kReplyPatience));
  std::array<std::uint8_t, kLengthSize + 8> reply{};
  ssize_t got = -1;
  do {
    got = ::recv(socket.Get(), reply.data(), reply.size(), MSG_WAITALL);
  } while (got < 0 && errno == EINTR);
  if (got != static_cast<ssize_t>(reply.size()) ||
      LoadU32(reply, 0) != reply.size() - kLengthSize) {
    return {ERROR_REGISTRY_IO_FAILED, std::nullopt};
  }
  return DecodeResult(std::span(reply).subspan(kLengthSize))
      .value_or(ChangeResult{ERROR_REGISTRY_IO_FAILED, std::nullopt});
}

}  // namespace qvtouch::platform
