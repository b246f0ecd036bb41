#include "tools/control/display.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <string_view>

namespace qvtouch::control {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view{} : std::string_view(value);
}

}  // namespace

std::string DisplayProblem() {
  const std::string_view platform = Environment("QT_QPA_PLATFORM");
  // Another platform plugin, or Wayland, answers for itself.
  if (!platform.empty() && !platform.starts_with("xcb")) return {};
  if (platform.empty() && !Environment("WAYLAND_DISPLAY").empty()) return {};
  const std::string_view name = Environment("DISPLAY");
  if (name.empty()) return "no display: DISPLAY is not set";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return "cannot open the display " + std::string(name);
  XCloseDisplay(display);
  return {};
}

}  // namespace qvtouch::control
