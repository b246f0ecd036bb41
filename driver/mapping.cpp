#include "driver/mapping.h"

#include "common/mouse_input.h"
#include "common/screen_post.h"
#include "common/wrap32.h"

namespace qvtouch::driver {
namespace {

constexpr std::int32_t kCentre = 32768;
constexpr std::int32_t kShareUnit = 4096;

// One raw axis of the calibration: the raw value's offset from the raw centre, and the signed
// raw span.
struct Axis {
  std::int32_t Offset;
  std::int32_t Span;
};

// ((offset << 16) / span) + 32768: the position across the whole target area.
std::int32_t Normalise(std::int32_t offset, std::int32_t span) {
  return WrapAdd(WrapDiv(WrapShiftLeft(offset, 16), span), kCentre);
}

// The far half of a stretched desktop, computed with one division: where the quotient of the
// offset alone is negative this can be one unit less than (n + 65536) / 2.
std::int32_t FarHalf(const Axis& axis) {
  return Normalise(WrapAdd(axis.Offset, axis.Span), axis.Span) / 2;
}

std::int32_t Scale(std::int32_t n, std::int32_t share) { return WrapMul(n, share) / kShareUnit; }

}  // namespace

MappedPosition MapReport(std::uint16_t rawX, std::uint16_t rawY,
                         const CalibrationBlock& calibration, std::int32_t screenPost) {
  const CalibrationBlock& c = calibration;
  const Axis xAxis{WrapSub(rawX, c.Xc), c.XL};
  const Axis yAxis{WrapSub(rawY, c.Yc), c.YL};
  // A quarter turn swaps the axes: raw Y drives the pointer's X and raw X its Y.
  const bool axesSwapped = c.Orientation == 90 || c.Orientation == 270;
  const Axis& horizontal = axesSwapped ? yAxis : xAxis;
  const Axis& vertical = axesSwapped ? xAxis : yAxis;
  const std::int32_t nx = Normalise(horizontal.Offset, horizontal.Span);
  const std::int32_t ny = Normalise(vertical.Offset, vertical.Span);

  MappedPosition position{nx, ny, MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP};
  switch (screenPost) {
    case kScreenSingle:
      position.Flags = MOUSE_MOVE_ABSOLUTE;
      break;
    case kScreenStretchedLeft:
      position.X = nx / 2;
      break;
    case kScreenStretchedRight:
      position.X = FarHalf(horizontal);
      break;
    case kScreenStretchedTop:
      position.Y = ny / 2;
      break;
    case kScreenStretchedBottom:
      position.Y = FarHalf(vertical);
      break;
    case kScreenPrimary:
      position.X = Scale(nx, c.Shp);
      position.Y = Scale(ny, c.Svp);
      break;
    case kScreenSecondary:
      // Right of the primary, and aligned with its top.
      position.X = WrapAdd(WrapMul(c.Shp, 16), Scale(nx, c.Shs));
      position.Y = Scale(ny, c.Svs);
      break;
    default:  // any other placement covers the whole desktop
      break;
  }
  return position;
}

}  // namespace qvtouch::driver
