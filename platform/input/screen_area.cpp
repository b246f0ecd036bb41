#include "platform/input/screen_area.h"

#include <algorithm>

#include "common/mouse_input.h"

namespace qvtouch::platform {
namespace {

int MapAxis(std::int32_t value, int origin, int size) {
  if (size <= 0) return origin;
  const std::int64_t clamped = std::clamp<std::int64_t>(value, 0, kAbsoluteRange);
  const auto offset = static_cast<int>(clamped * size / kAbsoluteRange);
  return origin + std::min(offset, size - 1);
}

}  // namespace

ScreenRect PrimaryArea(std::span<const Monitor> monitors) {
  const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                    [](const Monitor& monitor) { return monitor.Primary; });
  return primary != monitors.end() ? primary->Area : monitors.front().Area;
}

ScreenRect DesktopArea(std::span<const Monitor> monitors) {
  int left = monitors.front().Area.X;
  int top = monitors.front().Area.Y;
  int right = left + monitors.front().Area.Width;
  int bottom = top + monitors.front().Area.Height;
  for (const Monitor& monitor : monitors) {
    left = std::min(left, monitor.Area.X);
    top = std::min(top, monitor.Area.Y);
    right = std::max(right, monitor.Area.X + monitor.Area.Width);
    bottom = std::max(bottom, monitor.Area.Y + monitor.Area.Height);
  }
  return {left, top, right - left, bottom - top};
}

ScreenRect TargetArea(std::uint16_t flags, std::span<const Monitor> monitors) {
  return (flags & MOUSE_VIRTUAL_DESKTOP) != 0 ? DesktopArea(monitors) : PrimaryArea(monitors);
}

ScreenPoint MapAbsolute(std::int32_t x, std::int32_t y, const ScreenRect& area) {
  return {MapAxis(x, area.X, area.Width), MapAxis(y, area.Y, area.Height)};
}

}  // namespace qvtouch::platform
