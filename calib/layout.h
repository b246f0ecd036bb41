// Where the calibration window lies on the desktop for each screen placement, where its targets
// sit inside it, and which monitor sizes the calibration then assumes. Computed once at start-up.
#pragma once

#include <cstdint>
#include <optional>

#include "calib/monitor_sizes.h"

namespace qvtouch::calib {

// The indexes PrimaryScale and SlaveScale into the table of monitor sizes; nullopt when the value
// is missing or cannot be read, which counts as an index outside the table.
struct MonitorScaleIndexes {
  std::optional<std::uint32_t> PrimaryScale;
  std::optional<std::uint32_t> SlaveScale;
};

struct WindowRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

// A point inside the window, relative to its top-left corner.
struct WindowPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  bool operator==(const WindowPoint&) const = default;
};

struct ScreenLayout {
  WindowRect Window;        // in desktop coordinates
  std::int32_t Width = 0;   // w: Right - Left
  std::int32_t Height = 0;  // h: Bottom - Top
  std::int32_t X1 = 0;      // w / 4
  std::int32_t X2 = 0;      // 3w / 4
  std::int32_t Y1 = 0;      // h / 4
  std::int32_t Y2 = 0;      // 3h / 4
  MonitorSizes Monitors;

  // Where the target of a code sits; nullopt for TARGET_NONE and any code that is no target.
  std::optional<WindowPoint> TargetAt(std::int32_t target) const;
};

// Lays out the screen for the driver's ScreenPost on a primary display of display's size; the
// indexes give the monitor sizes of the primary/secondary placements (37 and 38).
ScreenLayout LayOutScreen(std::int32_t screenPost, Size display, const MonitorScaleIndexes& scales);

}  // namespace qvtouch::calib
