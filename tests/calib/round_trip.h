// The calibration run's round trip without a window: one pass against a simulated touch screen,
// then touches over the whole window mapped by the driver into desktop pixels.
#pragma once

#include <cstdint>
#include <ostream>

#include "calib/calibration.h"
#include "calib/layout.h"
#include "tests/calib/touchscreen.h"

namespace qvtouch::calib::testing {

// Where the touch screen sits: its placement, the primary display as the system reports it, the
// monitor-size indexes, and the area that pointer values span on a virtual desktop.
struct Desk {
  std::int32_t ScreenPost = 16;
  Size Display{1024, 768};
  MonitorScaleIndexes Scales;
  Size Desktop{1024, 768};
};

// A panel that covers the calibration window: its pixels are the window's.
sim::PanelGeometry PanelOver(const ScreenLayout& layout, std::uint32_t turn,
                             std::uint32_t bend = 0);

// One pass as the run makes it: the enter command chooses the method, each target is touched
// where the layout puts it, and after an assisted pass the linearity values are sent, read back
// and the assisted mode is left.
PassResult CalibrationPass(Touchscreen& screen, const ScreenLayout& layout);

// The touch that the driver maps farthest from where it was made, on a 9 x 9 grid over the window.
struct Miss {
  double Pixels = 0;
  std::int32_t X = 0;  // where, in window pixels
  std::int32_t Y = 0;
};
Miss WorstMiss(Touchscreen& screen, const Calibration& calibration, const ScreenLayout& layout,
               const Desk& desk);

inline std::ostream& operator<<(std::ostream& out, const Miss& miss) {
  return out << miss.Pixels << " pixels at (" << miss.X << ", " << miss.Y << ")";
}

}  // namespace qvtouch::calib::testing
