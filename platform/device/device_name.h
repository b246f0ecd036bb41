// Device names and the sockets that serve them.
//
// A program opens a device by its user-mode name ("\\.\qvtouch"); the driver creates it as a link
// name ("\??\qvtouch"). Both reach the same device, and names are not case-sensitive: each is
// served on the Unix domain socket <RuntimeDir>/<lower-cased name>.sock.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qvtouch::platform {

// The name without its "\\.\" or "\??\" prefix, lower-cased; nullopt for a name that has neither
// prefix, nothing after it, or a character outside printable ASCII.
std::optional<std::string> DeviceKey(std::string_view name);

// The socket that serves the device of that key. Characters other than letters, digits, '-', '_'
// and '.' are written as %XX, so that every key is one plain file name.
std::filesystem::path DeviceSocketPath(std::string_view key);

}  // namespace qvtouch::platform
