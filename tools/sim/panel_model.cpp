#include "tools/sim/panel_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace qvtouch::sim {
namespace {

// The bend's shape g(s) along a raw axis, as (s, g) corners of a piecewise linear curve.
constexpr std::array<std::pair<double, double>, 6> kBendShape{
    {{0.0, 0.0}, {0.25, -1.0}, {0.375, -1.0}, {0.625, 1.0}, {0.75, 1.0}, {1.0, 0.0}}};

double BendShape(double s) {
  for (std::size_t i = 1; i < kBendShape.size(); ++i) {
    const auto [s1, g1] = kBendShape[i];
    if (s <= s1) {
      const auto [s0, g0] = kBendShape[i - 1];
      return g0 + (g1 - g0) * (s - s0) / (s1 - s0);
    }
  }
  return 0.0;
}

// The panel's own position (p, q) of the screen position (u, v), both from 0 to 1.
std::pair<double, double> PanelPosition(double u, double v, std::uint32_t turn) {
  switch (turn) {
    case 90:
      return {v, 1.0 - u};
    case 180:
      return {1.0 - u, 1.0 - v};
    case 270:
      return {1.0 - v, u};
    default:
      return {u, v};
  }
}

// What the controller reports along one raw axis at the panel's position `at` of it.
std::uint16_t AxisReading(double at, std::uint16_t start, std::uint16_t end, double bend,
                          std::uint16_t linearity, bool corrected) {
  const double s = start <= end ? at : 1.0 - at;
  const double g = BendShape(s);
  double raw = start + at * (end - start) + bend * g;
  if (corrected && linearity < kNoLinearityCorrection) {
    const double d = kNoLinearityCorrection - linearity;
    raw -= d * (1.0 + g) / 2.0;
  }
  return static_cast<std::uint16_t>(
      std::clamp(std::round(raw), 0.0, double{std::numeric_limits<std::uint16_t>::max()}));
}

}  // namespace

std::optional<Point> PanelModel::Reading(std::uint32_t x, std::uint32_t y,
                                         const CommandResponder& controller) const {
  const PanelGeometry& g = geometry_;
  if (g.Width == 0 || g.Height == 0 || x > g.Width || y > g.Height) return std::nullopt;
  const auto [p, q] =
      PanelPosition(static_cast<double>(x) / g.Width, static_cast<double>(y) / g.Height, g.Turn);
  const bool corrected = !controller.AssistedMode();
  return Point{
      AxisReading(p, g.TopLeft.X, g.BottomRight.X, g.Bend, controller.LinearityX(), corrected),
      AxisReading(q, g.TopLeft.Y, g.BottomRight.Y, g.Bend, controller.LinearityY(), corrected)};
}

}  // namespace qvtouch::sim
