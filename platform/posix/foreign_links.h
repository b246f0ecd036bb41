// Symbolic links that another, less privileged user planted. A program that opens a path on its
// own say-so (a tty, a recorder file, a store) must not be led elsewhere by a link that someone
// else put along the way: it follows only links that belong to root or to its own user.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/posix/unique_fd.h"

namespace qvtouch::platform {

// Whether a file of this owner is one that root or this process's own user made.
bool TrustedOwner(uid_t owner);

// The first symbolic link met on the way to path, following links as the system would, whose
// owner is not trusted; nullopt when there is none. The walk ends at the first component that does
// not exist (a file about to be made), and a chain of more than 40 links counts as foreign, as the
// system refuses it too.
std::optional<std::filesystem::path> ForeignLink(const std::filesystem::path& path);

struct OpenedPath {
  UniqueFd Fd;  // invalid on failure
  // The symbolic link of another user's that stood in the way, when that was the failure.
  std::optional<std::filesystem::path> ForeignLink;
  int Error = 0;  // otherwise the errno of the failure
};

// Opens path with open(2)'s flags and mode (close-on-exec added), following only the symbolic
// links that ForeignLink trusts. The path is resolved one name at a time, each from the folder
// already opened, and every link is examined on what was opened: no entry swapped meanwhile can
// lead the open anywhere the walk did not examine, as a check of the path before an open could.
OpenedPath OpenWithoutForeignLinks(const std::filesystem::path& path, int flags, mode_t mode = 0);

}  // namespace qvtouch::platform
