#include "platform/device/device_listener.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/device/device_name.h"
#include "platform/paths/trusted_folder.h"
#include "platform/posix/operator_group.h"

namespace qvtouch::platform {
namespace {

// Whether a process accepts connections on the socket file, lock or not.
bool SomeoneListens(const sockaddr_un& address) {
  const UniqueFd probe = NewStreamSocket();
  return probe.Valid() &&
         ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

// Removes a socket file that no live server uses. Anything else at that path is left alone.
ServeResult RemoveStaleSocket(int folder, const std::string& name,
                              const std::filesystem::path& path, const sockaddr_un& address) {
  struct stat status {};
  if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return {};
    return SystemFailure("cannot examine " + path.string(), errno);
  }
  if (!S_ISSOCK(status.st_mode)) {
    return {STATUS_UNSUCCESSFUL, path.string() + " exists and is not a socket"};
  }
  if (SomeoneListens(address)) return NameTaken(path);
  if (::unlinkat(folder, name.c_str(), 0) != 0) {
    return SystemFailure("cannot remove " + path.string(), errno);
  }
  return {};
}

ServeResult SetAccess(int folder, const std::string& name, const std::filesystem::path& path) {
  if (const int error = ShareWithOperators(folder, name.c_str())) {
    return SystemFailure(
        "cannot give " + path.string() + " to group " + std::string(kOperatorGroup), error);
  }
  return {};
}

}  // namespace

ServeResult DeviceListener::Open(std::string_view key, std::unique_ptr<DeviceListener>& listener) {
  const std::filesystem::path socketPath = DeviceSocketPath(key);
  const auto address = SocketAddress(socketPath);
  if (!address) {
    return {STATUS_INVALID_PARAMETER, "socket path too long: " + socketPath.string()};
  }
  TrustedFolder folder = OpenTrustedFolder(socketPath.parent_path());
  if (!folder.Fd.Valid()) {
    return {STATUS_ACCESS_DENIED, "cannot serve " + socketPath.string() + ": " + folder.Problem};
  }
  std::unique_ptr<NameClaim> claim;
  if (ServeResult claimed = NameClaim::Take(folder.Fd.Get(), socketPath, claim);
      !NT_SUCCESS(claimed.Status)) {
    return claimed;
  }
  const std::string socketName = socketPath.filename().string();
  if (ServeResult removed = RemoveStaleSocket(folder.Fd.Get(), socketName, socketPath, *address);
      !NT_SUCCESS(removed.Status)) {
    return removed;
  }

  UniqueFd socket = NewStreamSocket(SOCK_NONBLOCK);
  if (!socket.Valid()) return SystemFailure("cannot create a socket", errno);
  // The path leads through folders that only root or this user can change, to the folder just
  // examined.
  if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return SystemFailure("cannot bind " + socketPath.string(), errno);
  }
  struct stat made {};
  if (::fstatat(folder.Fd.Get(), socketName.c_str(), &made, AT_SYMLINK_NOFOLLOW) != 0) {
    const ServeResult failure = SystemFailure("cannot examine " + socketPath.string(), errno);
    ::unlinkat(folder.Fd.Get(), socketName.c_str(), 0);
    return failure;
  }
  // From here the file is ours: the listener's destructor removes it on every path.
  listener.reset(new DeviceListener(std::move(folder.Fd), socketName, made, std::move(claim),
                                    std::move(socket)));
  ServeResult result = SetAccess(listener->folder_.Get(), socketName, socketPath);
  if (NT_SUCCESS(result.Status) && ::listen(listener->Fd(), SOMAXCONN) != 0) {
    result = SystemFailure("cannot listen on " + socketPath.string(), errno);
  }
  if (!NT_SUCCESS(result.Status)) listener.reset();
  return result;
}

DeviceListener::DeviceListener(UniqueFd folder, std::string socketName, const struct stat& made,
                               std::unique_ptr<NameClaim> claim, UniqueFd socket)
    : folder_(std::move(folder)),
      socketName_(std::move(socketName)),
      device_(made.st_dev),
      inode_(made.st_ino),
      claim_(std::move(claim)),
      socket_(std::move(socket)) {}

DeviceListener::~DeviceListener() {
  StopListening();
  claim_.reset();  // only now may another server take the name
}

void DeviceListener::StopListening() {
  if (!socket_.Valid()) return;
  struct stat named {};
  if (::fstatat(folder_.Get(), socketName_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      named.st_dev == device_ && named.st_ino == inode_) {
    ::unlinkat(folder_.Get(), socketName_.c_str(), 0);
  }
  socket_.Reset();
}

}  // namespace qvtouch::platform
