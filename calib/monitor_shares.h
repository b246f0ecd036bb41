// The monitor shares of the calibration block: how much of a two-monitor desktop's width and
// height each monitor takes, in 1/4096.
#pragma once

#include <cstdint>

#include "calib/monitor_sizes.h"

namespace qvtouch::calib {

struct MonitorShares {
  std::int32_t Shp = 0;  // horizontal share of the primary monitor
  std::int32_t Shs = 0;  // horizontal share of the secondary monitor
  std::int32_t Svp = 0;  // vertical share of the primary monitor
  std::int32_t Svs = 0;  // vertical share of the secondary monitor
  bool operator==(const MonitorShares&) const = default;
};

// Horizontally each monitor's part of the summed widths; vertically the taller monitor gets 4096
// and the other its height's part of the taller one. Sizes that add up to 0 share nothing: 0.
MonitorShares SharesOf(const MonitorSizes& sizes);

}  // namespace qvtouch::calib
