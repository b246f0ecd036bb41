#include "calib/assisted_method.h"

#include "calib/pass_arithmetic.h"
#include "common/controller_commands.h"
#include "common/wrap32.h"

namespace qvtouch::calib {
namespace {

constexpr std::int32_t kMaxCorrection = kNoLinearityCorrection;

struct AxisFit {
  std::int32_t Centre;
  std::int32_t Span;
  std::uint16_t Linearity;
};

// The correction d of an axis that runs from `low` to `high`: twice the inner segment less the
// outer one; outside 0 to 3072 it counts as none.
std::int32_t Correction(std::int32_t low, std::int32_t innerLow, std::int32_t innerHigh,
                        std::int32_t high) {
  const std::int32_t d = WrapAdd(WrapSub(WrapMul(2, WrapSub(innerHigh, innerLow)), high), low);
  return d < 0 || d > kMaxCorrection ? 0 : d;
}

// One axis from the raw values of TL, A, B and BR along it.
AxisFit FitAxis(std::int32_t tl, std::int32_t a, std::int32_t b, std::int32_t br) {
  std::int32_t d = 0;
  if (br > tl) {
    d = Correction(tl, a, b, br);
    br = WrapSub(br, d);
  } else if (br < tl) {
    d = Correction(br, b, a, tl);
    tl = WrapSub(tl, d);
  }
  return {Midpoint(tl, br), SpanOf(tl, br), static_cast<std::uint16_t>(kMaxCorrection - d)};
}

}  // namespace

LinearityValues ComputeAssisted(const PassPoints& points, CalibrationBlock& block) {
  const RawPoint& tl = points.TopLeft;
  const RawPoint& a = points.DiagNear;
  const RawPoint& b = points.DiagFar;
  const RawPoint& br = points.BottomRight;
  const AxisFit x = FitAxis(tl.X, a.X, b.X, br.X);
  const AxisFit y = FitAxis(tl.Y, a.Y, b.Y, br.Y);
  block.Xc = x.Centre;
  block.XL = x.Span;
  block.Yc = y.Centre;
  block.YL = y.Span;
  return {x.Linearity, y.Linearity};
}

}  // namespace qvtouch::calib
