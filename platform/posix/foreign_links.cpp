#include "platform/posix/foreign_links.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <deque>
#include <string>

namespace qvtouch::platform {
namespace {

constexpr int kMaxLinks = 40;  // as the system's own resolution allows

std::deque<std::filesystem::path> Components(const std::filesystem::path& path) {
  std::deque<std::filesystem::path> names;
  for (const auto& name : path.relative_path()) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

// The target of the link `name` in `folder`; with an empty name, of the link `folder` itself is
// (opened with O_PATH | O_NOFOLLOW).
std::optional<std::filesystem::path> LinkTarget(int folder, const char* name) {
  std::string target(PATH_MAX, '\0');
  const ssize_t size = ::readlinkat(folder, name, target.data(), target.size());
  if (size < 0 || static_cast<std::size_t>(size) == target.size()) return std::nullopt;
  target.resize(static_cast<std::size_t>(size));
  return target;
}

UniqueFd OpenFolderOfWalk(bool absolute) {
  return UniqueFd(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

bool TrustedOwner(uid_t owner) {
  return owner == 0 || owner == ::geteuid();
}

std::optional<std::filesystem::path> ForeignLink(const std::filesystem::path& path) {
  std::filesystem::path reached =
      path.is_absolute() ? std::filesystem::path("/") : std::filesystem::current_path();
  std::deque<std::filesystem::path> left = Components(path);
  int links = 0;
  while (!left.empty()) {
    const std::filesystem::path name = left.front();
    left.pop_front();
    if (name == ".") continue;
    if (name == "..") {
      reached = reached.parent_path();
      continue;
    }
    const std::filesystem::path next = reached / name;
    struct stat status {};
    if (::lstat(next.c_str(), &status) != 0) return std::nullopt;  // not there (yet)
    if (!S_ISLNK(status.st_mode)) {
      reached = next;
      continue;
    }
    if (!TrustedOwner(status.st_uid) || ++links > kMaxLinks) return next;
    const auto target = LinkTarget(AT_FDCWD, next.c_str());
    if (!target) return next;
    if (target->is_absolute()) reached = "/";
    auto inserted = Components(*target);
    left.insert(left.begin(), inserted.begin(), inserted.end());
  }
  return std::nullopt;
}

OpenedPath OpenWithoutForeignLinks(const std::filesystem::path& path, int flags, mode_t mode) {
  const auto failed = [](int error) { return OpenedPath{{}, std::nullopt, error}; };
  if (path.empty()) return failed(ENOENT);
  UniqueFd folder = OpenFolderOfWalk(path.is_absolute());
  if (!folder) return failed(errno);
  std::filesystem::path reached = path.is_absolute() ? "/" : "";  // to name a link
  std::deque<std::filesystem::path> left = Components(path);
  if (left.empty()) left.push_back(".");
  int links = 0;
  while (!left.empty()) {
    const std::filesystem::path name = left.front();
    left.pop_front();
    const std::filesystem::path at = reached / name;
    if (left.empty()) {
      UniqueFd file(::openat(folder.Get(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
      if (file) return {std::move(file), std::nullopt, 0};
      if (errno != ELOOP) return failed(errno);  // ELOOP: the name is a link, examined below
    }
    UniqueFd entry(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!entry || ::fstat(entry.Get(), &status) != 0) return failed(errno);
    if (!S_ISLNK(status.st_mode)) {
      if (!left.empty()) {  // a folder on the way; a file in its place fails at the next name
        folder = std::move(entry);
        reached = at;
      } else if (++links > kMaxLinks) {
        return failed(ELOOP);
      } else {
        left.push_back(name);  // a link at the open, none any more: swapped meanwhile, again
      }
      continue;
    }
    if (!TrustedOwner(status.st_uid)) return {{}, at, EACCES};
    if (++links > kMaxLinks) return failed(ELOOP);
    const auto target = LinkTarget(entry.Get(), "");
    if (!target) return failed(ELOOP);
    if (target->is_absolute()) {
      folder = OpenFolderOfWalk(true);
      if (!folder) return failed(errno);
      reached = "/";
    }
    auto inserted = Components(*target);
    left.insert(left.begin(), inserted.begin(), inserted.end());
  }
  return failed(ENOENT);  // a link whose target is empty
}

}  // namespace qvtouch::platform
