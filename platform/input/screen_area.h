// Where an absolute record lands on an X screen. A record's position runs from 0 to
// kAbsoluteRange (65536) across its target area: the primary monitor for MOUSE_MOVE_ABSOLUTE
// alone, the whole desktop (the bounding box of all monitors) with MOUSE_VIRTUAL_DESKTOP.
//
// Pixel mapping, per axis, for an area starting at `origin` that is `size` pixels long:
//   pixel = origin + v * size / 65536, v clamped to 0..65536 first, the quotient truncated,
//   and the result clamped to the area's last pixel (origin + size - 1).
// So 0 is the first pixel, 32768 the middle one and 65536 the last; positions outside the range
// (a touch beyond the calibrated edge) stay on the area's border.
#pragma once

#include <cstdint>
#include <span>

namespace qvtouch::platform {

struct ScreenRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct Monitor {
  ScreenRect Area;
  bool Primary = false;
};

struct ScreenPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The monitor marked primary, else the first one. monitors must not be empty.
ScreenRect PrimaryArea(std::span<const Monitor> monitors);
// The bounding box of all monitors. monitors must not be empty.
ScreenRect DesktopArea(std::span<const Monitor> monitors);
// The area a record with these move flags addresses.
ScreenRect TargetArea(std::uint16_t flags, std::span<const Monitor> monitors);

ScreenPoint MapAbsolute(std::int32_t x, std::int32_t y, const ScreenRect& area);

}  // namespace qvtouch::platform
