#include "calib/four_corner_method.h"

#include "calib/pass_arithmetic.h"

namespace qvtouch::calib {
namespace {

// Where the eight values the driver keeps without reading sit among the extra fields.
enum ExtraField : std::size_t {
  kMainCentreX,
  kMainCentreY,
  kFirstSpanX,
  kFirstSpanY,
  kAntiCentreX,
  kAntiCentreY,
  kSecondSpanX,
  kSecondSpanY,
};

struct Spans {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

}  // namespace

void ComputeFourCorner(const PassPoints& points, CalibrationBlock& block) {
  const RawPoint& tl = points.TopLeft;
  const RawPoint& br = points.BottomRight;
  const RawPoint& bl = points.BottomLeft;
  const RawPoint& tr = points.TopRight;
  auto& extra = block.CalibrationExtra;

  extra[kMainCentreX] = Midpoint(tl.X, br.X);
  extra[kMainCentreY] = Midpoint(tl.Y, br.Y);
  extra[kAntiCentreX] = Midpoint(tr.X, bl.X);
  extra[kAntiCentreY] = Midpoint(tr.Y, bl.Y);
  block.Xc = Midpoint(extra[kAntiCentreX], extra[kMainCentreX]);
  block.Yc = Midpoint(extra[kAntiCentreY], extra[kMainCentreY]);

  const Spans main{SpanOf(tl.X, br.X), SpanOf(tl.Y, br.Y)};
  if (tl.X == br.X || tl.Y == br.Y) {  // degenerate: one of these spans is 0
    block.XL = main.X;
    block.YL = main.Y;
    return;
  }
  const bool sameSense = (tl.X < br.X) == (tl.Y < br.Y);
  const Spans first = sameSense ? main : Spans{SpanOf(tr.X, bl.X), SpanOf(bl.Y, tr.Y)};
  const Spans second = sameSense ? Spans{SpanOf(bl.X, tr.X), SpanOf(tr.Y, bl.Y)} : main;
  extra[kFirstSpanX] = first.X;
  extra[kFirstSpanY] = first.Y;
  extra[kSecondSpanX] = second.X;
  extra[kSecondSpanY] = second.Y;
  block.XL = Midpoint(first.X, second.X);
  block.YL = Midpoint(first.Y, second.Y);
}

}  // namespace qvtouch::calib
