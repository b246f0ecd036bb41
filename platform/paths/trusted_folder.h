// Folders that a program running as root may keep its files in: nobody less privileged can have
// put or swapped anything on the way to them.
#pragma once

#include <filesystem>
#include <string>

#include "platform/posix/unique_fd.h"

namespace qvtouch::platform {

struct TrustedFolder {
  UniqueFd Fd;          // the folder (O_PATH), for the *at() calls; invalid on failure
  std::string Problem;  // on failure, why, in one line
};

// Opens a folder, creating what is missing on the way with mode 0755. Every folder on the way
// must belong to root or to this process's user and be writable by nobody else, except that one
// with the sticky bit (such as /tmp) may be writable by all; the folder itself must not be
// writable by others at all, so that nobody else can add, remove or replace a file in it. A
// symbolic link on the way is followed only when root or this user made it.
TrustedFolder OpenTrustedFolder(const std::filesystem::path& folder);

// Why someone other than root or this process's user could change what lies at the folder, by the
// same rules, for as much of the path as exists (the rest is this process's to make); empty when
// nobody could.
std::string FolderDistrust(const std::filesystem::path& folder);

}  // namespace qvtouch::platform
