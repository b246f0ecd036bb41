#include "platform/paths/paths.h"

#include <cstdlib>
#include <string_view>

namespace qvtouch::platform {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view{} : std::string_view(value);
}

}  // namespace

std::filesystem::path SystemRoot() {
  const std::string_view root = Environment("QVTOUCH_ROOT");
  return root.empty() ? std::filesystem::path("/") : std::filesystem::path(root);
}

std::filesystem::path MachineStateDir() { return SystemRoot() / "var/lib/qvtouch"; }

std::filesystem::path RuntimeDir() { return SystemRoot() / "run/qvtouch"; }

std::filesystem::path UserDataDir() {
  if (!Environment("QVTOUCH_ROOT").empty()) return SystemRoot() / "home/.local/share/qvtouch";
  const std::string_view dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty()) return std::filesystem::path(dataHome) / "qvtouch";
  const std::string_view home = Environment("HOME");
  return std::filesystem::path(home.empty() ? "/" : home) / ".local/share/qvtouch";
}

}  // namespace qvtouch::platform
