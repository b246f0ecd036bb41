// Symbolic links that another, less privileged user planted. A program that opens a path on its
// own say-so (a tty, a recorder file, a store) must not be led elsewhere by a link that someone
// else put along the way: it follows only links that belong to root or to its own user.
#pragma once

#include <filesystem>
#include <optional>

namespace qvtouch::platform {

// The first symbolic link met on the way to path, following links as the system would, that
// belongs neither to root nor to this process's effective user; nullopt when there is none. The
// walk ends at the first component that does not exist (a file about to be made), and a chain of
// more than 40 links counts as foreign, as the system refuses it too.
std::optional<std::filesystem::path> ForeignLink(const std::filesystem::path& path);

}  // namespace qvtouch::platform
