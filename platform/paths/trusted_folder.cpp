#include "platform/paths/trusted_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/foreign_links.h"

namespace qvtouch::platform {
namespace {

constexpr mode_t kFolderMode = 0755;

// Why someone else could change what lies in the folder; empty when nobody can.
std::string Distrust(const struct stat& status, const std::filesystem::path& path, bool last) {
  if (!S_ISDIR(status.st_mode)) return path.string() + " is not a folder";
  if (!TrustedOwner(status.st_uid)) return path.string() + " belongs to another user";
  const bool othersWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  const bool sticky = (status.st_mode & S_ISVTX) != 0;
  if (othersWrite && (last || !sticky)) return path.string() + " is writable by other users";
  return {};
}

std::string SystemProblem(const char* what, const std::filesystem::path& path) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

// Opens the entry `name` of the open folder `parent` (reached as `path`) as a trusted folder,
// creating it when it is missing.
TrustedFolder OpenStep(int parent, const std::filesystem::path& name,
                       const std::filesystem::path& path, bool last) {
  struct stat entry {};
  if (::fstatat(parent, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return {{}, SystemProblem("cannot examine", path)};
    if (::mkdirat(parent, name.c_str(), kFolderMode) != 0 && errno != EEXIST) {
      return {{}, SystemProblem("cannot create", path)};
    }
    // Examine what is there now: a folder that someone else made first is not trusted below.
    if (::fstatat(parent, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
      return {{}, SystemProblem("cannot examine", path)};
    }
  }
  int flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  if (!S_ISLNK(entry.st_mode)) {
    flags |= O_NOFOLLOW;
  } else if (!TrustedOwner(entry.st_uid)) {
    return {{}, path.string() + " is a symbolic link that another user made"};
  }
  UniqueFd folder(::openat(parent, name.c_str(), flags));
  if (!folder.Valid()) return {{}, SystemProblem("cannot open", path)};
  // Checked on what was opened: an entry swapped after the examination is caught here.
  struct stat status {};
  if (::fstat(folder.Get(), &status) != 0) return {{}, SystemProblem("cannot examine", path)};
  if (std::string problem = Distrust(status, path, last); !problem.empty()) {
    return {{}, std::move(problem)};
  }
  return {std::move(folder), {}};
}

// The names on the way to a folder.
std::vector<std::filesystem::path> Steps(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> steps;
  for (const auto& part : folder.relative_path()) {
    if (!part.empty()) steps.push_back(part);  // a trailing separator gives an empty part
  }
  return steps;
}

}  // namespace

TrustedFolder OpenTrustedFolder(const std::filesystem::path& folder) {
  std::filesystem::path reached = folder.is_absolute() ? "/" : ".";
  const auto steps = Steps(folder);
  TrustedFolder current{UniqueFd(::open(reached.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), {}};
  struct stat start {};
  if (!current.Fd.Valid() || ::fstat(current.Fd.Get(), &start) != 0) {
    return {{}, SystemProblem("cannot open", reached)};
  }
  if (std::string problem = Distrust(start, reached, steps.empty()); !problem.empty()) {
    return {{}, std::move(problem)};
  }
  for (std::size_t i = 0; i < steps.size(); ++i) {
    reached /= steps[i];
    TrustedFolder next = OpenStep(current.Fd.Get(), steps[i], reached, i + 1 == steps.size());
    if (!next.Fd.Valid()) return next;
    current = std::move(next);
  }
  return current;
}

std::string FolderDistrust(const std::filesystem::path& folder) {
  // By path, without a descriptor: a process that has used up its descriptors still finds its
  // folders (nothing is opened here on the strength of the answer).
  std::filesystem::path reached = folder.is_absolute() ? "/" : ".";
  const auto steps = Steps(folder);
  struct stat status {};
  if (::stat(reached.c_str(), &status) != 0) return SystemProblem("cannot examine", reached);
  if (std::string problem = Distrust(status, reached, steps.empty()); !problem.empty()) {
    return problem;
  }
  for (std::size_t i = 0; i < steps.size(); ++i) {
    reached /= steps[i];
    bool there = ::lstat(reached.c_str(), &status) == 0;
    if (there && S_ISLNK(status.st_mode)) {
      if (!TrustedOwner(status.st_uid)) {
        return reached.string() + " is a symbolic link that another user made";
      }
      there = ::stat(reached.c_str(), &status) == 0;
    }
    if (!there) {
      if (errno == ENOENT) return {};  // the rest is this process's to make
      return SystemProblem("cannot examine", reached);
    }
    if (std::string problem = Distrust(status, reached, i + 1 == steps.size()); !problem.empty()) {
      return problem;
    }
  }
  return {};
}

}  // namespace qvtouch::platform
