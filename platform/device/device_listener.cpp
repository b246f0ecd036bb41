#include "platform/device/device_listener.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/device/device_name.h"

namespace qvtouch::platform {
namespace {

constexpr mode_t kSocketMode = 0660;
constexpr mode_t kLockMode = 0600;

ServeResult Failure(NtStatus status, const std::string& what) { return {status, what}; }

// A failed system call: access problems become STATUS_ACCESS_DENIED, the rest STATUS_UNSUCCESSFUL.
ServeResult SystemFailure(const std::string& what, int error) {
  const NtStatus status =
      error == EACCES || error == EPERM ? STATUS_ACCESS_DENIED : STATUS_UNSUCCESSFUL;
  return Failure(status, what + ": " + std::strerror(error));
}

// The id of the device group, when the group exists.
std::optional<gid_t> DeviceGroupId() {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(4096);
  const std::string name(kDeviceGroup);
  while (::getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr) return std::nullopt;
  return found->gr_gid;
}

// Whether a process accepts connections on the socket file, lock or not.
bool SomeoneListens(const sockaddr_un& address) {
  const UniqueFd probe = NewStreamSocket();
  return probe.Valid() &&
         ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

ServeResult NameTaken(const std::filesystem::path& path) {
  return Failure(STATUS_OBJECT_NAME_COLLISION,
                 "device name taken: " + path.string() + " is served by a live server");
}

// Removes a socket file that no live server uses. Anything else at that path is left alone.
ServeResult RemoveStaleSocket(const std::filesystem::path& path, const sockaddr_un& address) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return {};
    return SystemFailure("cannot examine " + path.string(), errno);
  }
  if (!S_ISSOCK(status.st_mode)) {
    return Failure(STATUS_UNSUCCESSFUL, path.string() + " exists and is not a socket");
  }
  if (SomeoneListens(address)) return NameTaken(path);
  if (::unlink(path.c_str()) != 0) return SystemFailure("cannot remove " + path.string(), errno);
  return {};
}

ServeResult SetAccess(const std::filesystem::path& path) {
  if (::chmod(path.c_str(), kSocketMode) != 0) {
    return SystemFailure("cannot set the mode of " + path.string(), errno);
  }
  if (const auto group = DeviceGroupId()) {
    if (::chown(path.c_str(), static_cast<uid_t>(-1), *group) != 0) {
      return SystemFailure("cannot give " + path.string() + " to group " + std::string(kDeviceGroup),
                           errno);
    }
  }
  return {};
}

}  // namespace

ServeResult DeviceListener::Open(std::string_view key, std::unique_ptr<DeviceListener>& listener) {
  const std::filesystem::path socketPath = DeviceSocketPath(key);
  const auto address = SocketAddress(socketPath);
  if (!address) {
    return Failure(STATUS_INVALID_PARAMETER, "socket path too long: " + socketPath.string());
  }
  std::error_code error;
  std::filesystem::create_directories(socketPath.parent_path(), error);
  if (error) {
    return SystemFailure("cannot create " + socketPath.parent_path().string(), error.value());
  }

  const std::string lockPath = socketPath.string() + ".lock";
  UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockMode));
  if (!lock.Valid()) return SystemFailure("cannot open " + lockPath, errno);
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return NameTaken(socketPath);
    return SystemFailure("cannot lock " + lockPath, errno);
  }
  if (ServeResult removed = RemoveStaleSocket(socketPath, *address); !NT_SUCCESS(removed.Status)) {
    return removed;
  }

  UniqueFd socket = NewStreamSocket(SOCK_NONBLOCK);
  if (!socket.Valid()) return SystemFailure("cannot create a socket", errno);
  if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return SystemFailure("cannot bind " + socketPath.string(), errno);
  }
  // From here the file is ours: the listener's destructor removes it on every path.
  listener.reset(new DeviceListener(socketPath, std::move(lock), std::move(socket)));
  ServeResult result = SetAccess(socketPath);
  if (NT_SUCCESS(result.Status) && ::listen(listener->Fd(), SOMAXCONN) != 0) {
    result = SystemFailure("cannot listen on " + socketPath.string(), errno);
  }
  if (!NT_SUCCESS(result.Status)) listener.reset();
  return result;
}

DeviceListener::DeviceListener(std::filesystem::path socketPath, UniqueFd lock, UniqueFd socket)
    : socketPath_(std::move(socketPath)), lock_(std::move(lock)), socket_(std::move(socket)) {}

DeviceListener::~DeviceListener() {
  ::unlink(socketPath_.c_str());
  socket_.Reset();
  lock_.Reset();  // only now may another server take the name
}

}  // namespace qvtouch::platform
