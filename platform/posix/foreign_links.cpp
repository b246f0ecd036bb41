#include "platform/posix/foreign_links.h"

#include <sys/stat.h>
#include <unistd.h>

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

std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& link) {
  std::string target(PATH_MAX, '\0');
  const ssize_t size = ::readlink(link.c_str(), target.data(), target.size());
  if (size < 0 || static_cast<std::size_t>(size) == target.size()) return std::nullopt;
  target.resize(static_cast<std::size_t>(size));
  return target;
}

}  // namespace

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
    if ((status.st_uid != 0 && status.st_uid != ::geteuid()) || ++links > kMaxLinks) return next;
    const auto target = LinkTarget(next);
    if (!target) return next;
    if (target->is_absolute()) reached = "/";
    auto inserted = Components(*target);
    left.insert(left.begin(), inserted.begin(), inserted.end());
  }
  return std::nullopt;
}

}  // namespace qvtouch::platform
