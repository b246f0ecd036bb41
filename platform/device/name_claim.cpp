#include "platform/device/name_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/paths/trusted_folder.h"
#include "platform/posix/foreign_links.h"
#include "platform/posix/unix_socket.h"

namespace qvtouch::platform {
namespace {

constexpr mode_t kLockMode = 0600;
// Lock files that vanish under our hands before we give up; each needs another server's exit.
constexpr int kLockAttempts = 8;
constexpr int kProbeBacklog = 16;

struct AbstractAddress {
  sockaddr_un Address{};
  socklen_t Length = 0;
};

AbstractAddress ClaimAddress(const std::filesystem::path& socketPath) {
  const std::string name = ClaimName(socketPath);
  AbstractAddress result;
  result.Address.sun_family = AF_UNIX;
  // sun_path[0] stays 0: the name is abstract.
  name.copy(result.Address.sun_path + 1, sizeof(result.Address.sun_path) - 1);
  result.Length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return result;
}

const sockaddr* Generic(const AbstractAddress& address) {
  return reinterpret_cast<const sockaddr*>(&address.Address);
}

// Whether a process of root or of this user listens under the address. One that does not keep up
// with its connections is none of ours, since servers answer at once.
bool ServerListens(const AbstractAddress& address) {
  const UniqueFd probe = NewStreamSocket(SOCK_NONBLOCK);
  if (!probe.Valid() || ::connect(probe.Get(), Generic(address), address.Length) != 0) return false;
  ucred peer{};
  socklen_t size = sizeof(peer);
  return ::getsockopt(probe.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         TrustedOwner(peer.uid);
}

// Whether the open file is still the one that the folder holds under the name.
bool StillNamed(int folder, const std::string& name, int file) {
  struct stat named {};
  struct stat opened {};
  return ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(file, &opened) == 0 && named.st_dev == opened.st_dev &&
         named.st_ino == opened.st_ino;
}

// Opens and locks the lock file `name` of the folder; on failure, an invalid descriptor and the
// reason in `result`.
UniqueFd LockFile(int folder, const std::string& name, const std::filesystem::path& socketPath,
                  ServeResult& result) {
  const std::filesystem::path path = socketPath.parent_path() / name;
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    UniqueFd lock(
        ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kLockMode));
    if (!lock.Valid()) {
      result = errno == ELOOP
                   ? ServeResult{STATUS_UNSUCCESSFUL, path.string() + " is a symbolic link"}
                   : SystemFailure("cannot open " + path.string(), errno);
      return {};
    }
    struct stat status {};
    if (::fstat(lock.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
      result = {STATUS_UNSUCCESSFUL, path.string() + " is not a regular file"};
      return {};
    }
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
      result = errno == EWOULDBLOCK ? NameTaken(socketPath)
                                    : SystemFailure("cannot lock " + path.string(), errno);
      return {};
    }
    if (StillNamed(folder, name, lock.Get())) return lock;
    // The server before us removed the file after we had opened it: this lock guards nothing.
  }
  result = {STATUS_UNSUCCESSFUL, path.string() + " keeps being replaced"};
  return {};
}

}  // namespace

std::string ClaimName(const std::filesystem::path& socketPath) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(socketPath, error);
  const std::string path = (error ? socketPath : absolute).lexically_normal().native();
  // 64-bit FNV-1a: a short name of fixed length for a path of any length.
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const char c : path) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
  }
  char name[40];
  std::snprintf(name, sizeof(name), "qvtouch-server:%016llx",
                static_cast<unsigned long long>(hash));
  return name;
}

ServeResult NameClaim::Take(int folder, const std::filesystem::path& socketPath,
                            std::unique_ptr<NameClaim>& claim) {
  UniqueFd ownFolder(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
  if (!ownFolder.Valid()) {
    return SystemFailure("cannot open " + socketPath.parent_path().string(), errno);
  }
  const std::string lockName = socketPath.filename().string() + ".lock";
  ServeResult result;
  UniqueFd lock = LockFile(folder, lockName, socketPath, result);
  if (!lock.Valid()) return result;
  // From here the lock file is ours: the claim's destructor removes it on every path.
  claim.reset(new NameClaim(std::move(ownFolder), lockName, std::move(lock)));

  const AbstractAddress address = ClaimAddress(socketPath);
  UniqueFd probe = NewStreamSocket(SOCK_NONBLOCK);
  if (!probe.Valid()) {
    result = SystemFailure("cannot create a socket", errno);
  } else if (::bind(probe.Get(), Generic(address), address.Length) == 0) {
    if (::listen(probe.Get(), kProbeBacklog) == 0) {
      claim->probe_ = std::move(probe);
    } else {
      result = SystemFailure("cannot listen on the claim of " + socketPath.string(), errno);
    }
  } else if (errno != EADDRINUSE) {
    result = SystemFailure("cannot claim " + socketPath.string(), errno);
  } else if (ServerListens(address)) {
    result = NameTaken(socketPath);  // a live server whose lock file was deleted
  }
  if (!NT_SUCCESS(result.Status)) claim.reset();
  return result;
}

NameClaim::NameClaim(UniqueFd folder, std::string lockName, UniqueFd lock)
    : folder_(std::move(folder)), lockName_(std::move(lockName)), lock_(std::move(lock)) {}

NameClaim::~NameClaim() {
  probe_.Reset();
  if (StillNamed(folder_.Get(), lockName_, lock_.Get())) {
    ::unlinkat(folder_.Get(), lockName_.c_str(), 0);
  }
  lock_.Reset();  // only now may another server lock the name
}

}  // namespace qvtouch::platform
