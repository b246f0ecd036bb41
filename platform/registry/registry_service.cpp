#include "platform/registry/registry_service.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <list>
#include <vector>

#include "common/little_endian.h"
#include "platform/paths/trusted_folder.h"
#include "platform/posix/operator_group.h"
#include "platform/posix/unix_socket.h"
#include "platform/registry/change_wire.h"
#include "platform/registry/registry_client.h"
#include "platform/registry/store_rights.h"

namespace qvtouch::platform {
namespace {

using Clock = std::chrono::steady_clock;

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

// One connection: who sent it, and the request as it arrives.
struct Client {
  UniqueFd Socket;
  RegistryCaller Caller;
  Clock::time_point Deadline;
  std::vector<std::uint8_t> Received;
};

// A reply of a few bytes fits into any socket's buffer: this never waits.
void Reply(int socket, const ChangeResult& result) {
  SocketStream(socket).WriteAll(Framed(EncodeResult(result)));
}

// Why a connection of this caller is not taken, or ERROR_SUCCESS.
LSTATUS Refusal(const std::optional<RegistryCaller>& caller, const std::list<Client>& clients) {
  if (!caller) return ERROR_ACCESS_DENIED;
  if (caller->User == 0) return ERROR_SUCCESS;
  if (!caller->Operator) return ERROR_ACCESS_DENIED;  // may change nothing: nothing to wait for
  const auto others =
      std::ranges::count_if(clients, [](const Client& c) { return c.Caller.User != 0; });
  if (static_cast<std::size_t>(others) >= kMaxRegistryClients) return ERROR_REQ_NOT_ACCEP;
  const auto own = std::ranges::count_if(
      clients, [caller](const Client& c) { return c.Caller.User == caller->User; });
  return static_cast<std::size_t>(own) >= kRegistryClientsPerUser ? ERROR_NOT_ENOUGH_QUOTA
                                                                  : ERROR_SUCCESS;
}

// Reads what has arrived; true once the connection is done with (answered, or gone).
bool Receive(Client& client) {
  std::array<std::uint8_t, 4096> chunk{};
  const ssize_t got = ::recv(client.Socket.Get(), chunk.data(), chunk.size(), MSG_DONTWAIT);
  if (got == 0) return true;
  if (got < 0) return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
  client.Received.insert(client.Received.end(), chunk.begin(), chunk.begin() + got);
  if (client.Received.size() < kFrameLengthSize) return false;
  const std::size_t length = LoadU32(client.Received, 0);
  if (length > kMaxChangeMessage) {
    Reply(client.Socket.Get(), {ERROR_INVALID_PARAMETER, std::nullopt});  // refused unread
    return true;
  }
  if (client.Received.size() < kFrameLengthSize + length) return false;
  const auto changes = DecodeChanges(std::span(client.Received).subspan(kFrameLengthSize, length));
  Reply(client.Socket.Get(), changes ? ChangeForCaller(client.Caller, *changes)
                                     : ChangeResult{ERROR_INVALID_PARAMETER, std::nullopt});
  return true;
}

}  // namespace

ChangeResult ChangeForCaller(const RegistryCaller& caller, std::span<const HiveChange> changes) {
  if (caller.User == 0) return ChangeHive(Hive::LocalMachine, changes);
  if (!caller.Operator) return {ERROR_ACCESS_DENIED, std::nullopt};
  return ChangeHive(Hive::LocalMachine, changes, OperatorMayChange);
}

std::unique_ptr<RegistryService> RegistryService::Start(std::string& error) {
  const std::filesystem::path path = RegistryServiceSocket();
  const auto address = SocketAddress(path);
  TrustedFolder folder = OpenTrustedFolder(path.parent_path());
  if (!address || !folder.Fd) {
    error = "cannot serve " + path.string() + ": " +
            (address ? folder.Problem : std::string("the path is too long"));
    return nullptr;
  }
  const std::string name = path.filename().string();
  ::unlinkat(folder.Fd.Get(), name.c_str(), 0);
  UniqueFd listener = NewStreamSocket(SOCK_NONBLOCK);
  // The path leads through folders that only root or this user can change, to the folder just
  // examined.
  int failed = !listener || ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&*address),
                                   sizeof(*address)) != 0
                   ? errno
                   : ShareWithOperators(folder.Fd.Get(), name.c_str());
  if (failed == 0 && ::listen(listener.Get(), SOMAXCONN) != 0) failed = errno;
  if (failed != 0) {
    error = "cannot serve " + path.string() + ": " + std::strerror(failed);
    ::unlinkat(folder.Fd.Get(), name.c_str(), 0);
    return nullptr;
  }
  return std::unique_ptr<RegistryService>(
      new RegistryService(std::move(folder.Fd), std::move(listener)));
}

RegistryService::RegistryService(UniqueFd folder, UniqueFd listener)
    : folder_(std::move(folder)), listener_(std::move(listener)), thread_([this] { Serve(); }) {}

RegistryService::~RegistryService() {
  stop_.Raise();
  thread_.join();
  ::unlinkat(folder_.Get(), RegistryServiceSocket().filename().c_str(), 0);
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
      wait = std::max(
          std::chrono::milliseconds(0),
          std::chrono::duration_cast<std::chrono::milliseconds>(clients.front().Deadline - now));
    }
    if (::poll(watched.data(), watched.size(), static_cast<int>(wait.count())) < 0 &&
        errno != EINTR) {
      return;
    }
    auto each = watched.begin() + 2;
    for (auto client = clients.begin(); client != clients.end(); ++each) {
      const bool done =
          (each->revents != 0 && Receive(*client)) || Clock::now() >= client->Deadline;
      client = done ? clients.erase(client) : std::next(client);
    }
    if ((watched[1].revents & POLLIN) == 0) continue;
    UniqueFd socket(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket) continue;
    const auto caller = PeerOf(socket.Get());
    if (const LSTATUS refused = Refusal(caller, clients); refused != ERROR_SUCCESS) {
      Reply(socket.Get(), {refused, std::nullopt});
      continue;
    }
    // Deadlines grow in the order of arrival: the first client's is the next to fall due.
    clients.push_back({std::move(socket), *caller, Clock::now() + kRequestPatience, {}});
  }
}

}  // namespace qvtouch::platform
