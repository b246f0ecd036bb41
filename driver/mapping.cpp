#include "driver/mapping.h"

#include "common/mouse_input.h"
#include "common/screen_post.h"
#include "common/wrap32.h"

namespace qvtouch::driver {
namespace {

constexpr std::int32_t kCentre = 32768;
constexpr std::int32_t kShareUnit = 4096;

// ((value << 16) / span) + 32768: the position of a raw offset from the centre.
std::int32_t Normalise(std::int32_t offset, std::int32_t span) {
  return WrapAdd(WrapDiv(WrapShiftLeft(offset, 16), span), kCentre);
}

// The far half of a stretched desktop, computed with one division as the placement defines it.
std::int32_t FarHalf(std::int32_t offset, std::int32_t span) {
  return Normalise(WrapAdd(offset, span), span) / 2;
}

std::int32_t Scale(std::int32_t n, std::int32_t share) { return WrapMul(n, share) / kShareUnit; }

// One raw axis of the calibration: the raw value, the raw centre and the signed raw span.
struct Axis {
  std::int32_t Raw;
  std::int32_t Centre;
  std::int32_t Span;
};

std::int32_t HorizontalMap(const Axis& axis, std::int32_t screenPost, std::int32_t primary,
                           std::int32_t secondary) {
  const std::int32_t offset = WrapSub(axis.Raw, axis.Centre);
  const std::int32_t span = axis.Span;
  const std::int32_t n = Normalise(offset, span);
  switch (screenPost) {
    case kScreenStretchedLeft:
      return n / 2;
    case kScreenStretchedRight:
      return FarHalf(offset, span);
    case kScreenPrimary:
      return Scale(n, primary);
    case kScreenSecondary:
      return WrapAdd(WrapMul(primary, 16), Scale(n, secondary));
    default:
      return n;
  }
}

std::int32_t VerticalMap(const Axis& axis, std::int32_t screenPost, std::int32_t primary,
                         std::int32_t secondary) {
  const std::int32_t offset = WrapSub(axis.Raw, axis.Centre);
  const std::int32_t span = axis.Span;
  const std::int32_t n = Normalise(offset, span);
  switch (screenPost) {
    case kScreenStretchedTop:
      return n / 2;
    case kScreenStretchedBottom:
      return FarHalf(offset, span);
    case kScreenPrimary:
      return Scale(n, primary);
    case kScreenSecondary:  // the secondary monitor is aligned with the primary's top
      return Scale(n, secondary);
    default:
      return n;
  }
}

}  // namespace

MappedPosition MapReport(std::uint16_t rawX, std::uint16_t rawY,
                         const CalibrationBlock& calibration, std::int32_t screenPost) {
  const CalibrationBlock& c = calibration;
  const Axis xAxis{rawX, c.Xc, c.XL};
  const Axis yAxis{rawY, c.Yc, c.YL};
  // A quarter turn swaps the axes: raw Y drives the pointer's X and raw X its Y.
  const bool axesSwapped = c.Orientation == 90 || c.Orientation == 270;
  MappedPosition position;
  position.X = HorizontalMap(axesSwapped ? yAxis : xAxis, screenPost, c.Shp, c.Shs);
  position.Y = VerticalMap(axesSwapped ? xAxis : yAxis, screenPost, c.Svp, c.Svs);
  position.Flags = screenPost == kScreenSingle ? MOUSE_MOVE_ABSOLUTE
                                               : MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP;
  return position;
}

}  // namespace qvtouch::driver
