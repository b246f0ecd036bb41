#include "platform/paths/paths.h"

#include <cstdlib>
#include <string_view>

#include "platform/paths/trusted_folder.h"

namespace qvtouch::platform {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view{} : std::string_view(value);
}

}  // namespace

std::filesystem::path SystemRoot() {
  const std::string_view root = Environment("QVTOUCH_ROOT");
  // A folder that another user could change would hand that user the store, the commands of
  // RunOnce and every path under it: such a folder is no root at all.
  if (root.empty() || !FolderDistrust(root).empty()) return "/";
  return root;
}

std::filesystem::path MachineStateDir() { return SystemRoot() / "var/lib/qvtouch"; }

std::filesystem::path RuntimeDir() { return SystemRoot() / "run/qvtouch"; }

std::filesystem::path UserDataDir() {
  if (const std::filesystem::path root = SystemRoot(); root != "/") {
    return root / "home/.local/share/qvtouch";
  }
  const std::string_view dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty()) return std::filesystem::path(dataHome) / "qvtouch";
  const std::string_view home = Environment("HOME");
  return std::filesystem::path(home.empty() ? "/" : home) / ".local/share/qvtouch";
}

}  // namespace qvtouch::platform
