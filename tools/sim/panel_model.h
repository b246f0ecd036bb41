// The simulated touch screen: where on the panel a touch at a screen pixel lands, and the raw
// point the controller reports for it.
//
// The screen is Width x Height pixels. Unturned, the panel reads (X0, Y0) at the screen's top-left
// corner and (X1, Y1) at its bottom-right corner, linearly in between. A panel mounted turned by
// 90, 180 or 270 degrees (clockwise, as seen on the screen) turns its raw axes with it: with
// u = SX / Width and v = SY / Height the panel's own position (p, q) is
//     0: (u, v)    90: (v, 1 - u)    180: (1 - u, 1 - v)    270: (1 - v, u)
// and the linear reading is X0 + p (X1 - X0), Y0 + q (Y1 - Y0).
//
// The bend: along each raw axis, with s running from 0 at the axis's smaller raw end to 1 at its
// larger one (s = p when X0 <= X1, else 1 - p; likewise for Y), the panel reads g(s) x Bend raw
// units off the line, where g is piecewise linear through
//     (0, 0), (1/4, -1), (3/8, -1), (5/8, 1), (3/4, 1), (1, 0):
// Bend units low at the smaller quarter point, Bend units high at the larger one. Its middle
// quarter is stretched, so the calibration's diagonal targets measure the correction d = 2 Bend.
//
// The controller: in its assisted mode it reports the bent reading as it is, so that the program
// can measure the bend. Outside it, an axis whose linearity value L is below 3072 has the
// correction d = 3072 - L taken off its reading as d (1 + g(s)) / 2: nothing at the smaller quarter
// point, d at the larger one (the end the calibration pulls in by d reads d units less). With the
// d the calibration measured this makes the output linear again (the line less Bend); with
// L = 3072 or above nothing changes. Readings are rounded to the nearest raw unit and kept within
// 0 to 65535 (a straightened panel reads Bend less than its corner values: leave it the room).
//
// Corners that mirror the panel (one raw axis reversed against the other, as no turn makes them)
// are simulated too, but no calibration can express them: the spans' signs encode turns only.
#pragma once

#include <cstdint>
#include <optional>

#include "common/controller_commands.h"
#include "tools/sim/command_responder.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::sim {

struct PanelGeometry {
  std::uint32_t Width = 1024;  // the screen in pixels
  std::uint32_t Height = 768;
  Point TopLeft{0, 0};  // the raw points at the screen's corners, unturned
  Point BottomRight{4095, 4095};
  std::uint32_t Turn = 0;  // degrees: 0, 90, 180 or 270
  std::uint32_t Bend = 0;  // raw units at the quarter points
};

// The largest bend the controller can correct: its linearity values take d up to 3072.
inline constexpr std::uint32_t kMaxBend = kNoLinearityCorrection / 2;

class PanelModel {
 public:
  explicit PanelModel(const PanelGeometry& geometry = {}) : geometry_(geometry) {}

  const PanelGeometry& Geometry() const { return geometry_; }

  // What the controller, in its present mode and with its present linearity values, reports for a
  // touch at screen pixel (x, y); nullopt outside the screen (beyond Width x Height).
  std::optional<Point> Reading(std::uint32_t x, std::uint32_t y,
                               const CommandResponder& controller) const;

 private:
  PanelGeometry geometry_;
};

}  // namespace qvtouch::sim
