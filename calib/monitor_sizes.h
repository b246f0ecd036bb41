// Sizes of the monitors that the calibration assumes: the layout finds them, the computation turns
// them into the monitor shares.
#pragma once

#include <cstdint>

namespace qvtouch::calib {

struct Size {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool operator==(const Size&) const = default;
};

struct MonitorSizes {
  Size Primary;
  Size Secondary;  // equal to the primary on a single monitor
  bool operator==(const MonitorSizes&) const = default;
};

}  // namespace qvtouch::calib
