// The computation of a pass: the worked examples as exact values, the limits of the linearity
// correction, the refusal of a zero span, and arithmetic that wraps.
#include <gtest/gtest.h>

#include <limits>

#include "calib/computation.h"
#include "calib/monitor_shares.h"
#include "common/controller_commands.h"

namespace qvtouch::calib {
namespace {

constexpr MonitorSizes kOneMonitor{{1024, 768}, {1024, 768}};
constexpr RawPoint kLinearY[4]{{0, 1024}, {0, 1536}, {0, 2560}, {0, 3072}};

PassResult Assisted(RawPoint tl, RawPoint a, RawPoint b, RawPoint br) {
  PassPoints points;
  points.TopLeft = tl;
  points.DiagNear = a;
  points.DiagFar = b;
  points.BottomRight = br;
  return ComputeCalibration(CalibrationMethod::ControllerAssisted, points, kOneMonitor);
}

// The assisted method on raw X alone, with a linear raw Y.
PassResult AssistedX(std::int32_t tl, std::int32_t a, std::int32_t b, std::int32_t br) {
  return Assisted({tl, kLinearY[0].Y}, {a, kLinearY[1].Y}, {b, kLinearY[2].Y}, {br, kLinearY[3].Y});
}

PassResult FourCorner(RawPoint tl, RawPoint br, RawPoint bl, RawPoint tr) {
  PassPoints points;
  points.TopLeft = tl;
  points.BottomRight = br;
  points.BottomLeft = bl;
  points.TopRight = tr;
  return ComputeCalibration(CalibrationMethod::FourCorner, points, kOneMonitor);
}

const Calibration& Calibrated(const PassResult& result) {
  EXPECT_TRUE(std::holds_alternative<Calibration>(result)) << "refused as a zero span";
  return std::get<Calibration>(result);
}

TEST(FourCornerMethod, WorkedExamples) {
  const Calibration upright =
      Calibrated(FourCorner({1024, 1024}, {3072, 3072}, {1024, 3072}, {3072, 1024}));
  CalibrationBlock expected{
      2048, 2048, 4096, 4096, 0,
      2048, 2048, 4096, 4096, {2048, 2048, 4096, 4096, 2048, 2048, 4096, 4096}};
  EXPECT_EQ(upright.Block(), expected);
  EXPECT_EQ(upright.Linearity(), std::nullopt);

  // The screen turned a quarter turn: the main diagonal runs in the opposite sense.
  const Calibration turned =
      Calibrated(FourCorner({1000, 3000}, {3000, 1000}, {3000, 3000}, {1000, 1000}));
  expected = {2000, 2000, 4000, -4000, 270,
              2048, 2048, 4096, 4096,  {2000, 2000, 4000, -4000, 2000, 2000, 4000, -4000}};
  EXPECT_EQ(turned.Block(), expected);
}

TEST(AssistedMethod, WorkedExamples) {
  const Calibration linear = Calibrated(AssistedX(1024, 1536, 2560, 3072));
  EXPECT_EQ(linear.Linearity(), (LinearityValues{3072, 3072}));
  const auto command = SetParametersCommand(linear.Linearity()->X, linear.Linearity()->Y);
  EXPECT_EQ(command[3], 0x00);
  EXPECT_EQ(command[4], 0x0C);
  CalibrationBlock expected{2048, 2048, 4096, 4096, 0, 2048, 2048, 4096, 4096, {}};
  EXPECT_EQ(linear.Block(), expected);

  const Calibration bent = Calibrated(AssistedX(1024, 1436, 2660, 3072));
  EXPECT_EQ(bent.Linearity()->X, 2672);
  EXPECT_EQ(SetParametersCommand(2672, 0)[3], 0x70);
  EXPECT_EQ(SetParametersCommand(2672, 0)[4], 0x0A);
  EXPECT_EQ(bent.Block().Xc, 1848);
  EXPECT_EQ(bent.Block().XL, 3296);

  const Calibration mirrored = Calibrated(AssistedX(3072, 2660, 1436, 1024));
  EXPECT_EQ(mirrored.Linearity()->X, 2672);
  EXPECT_EQ(mirrored.Block().Xc, 1848);
  EXPECT_EQ(mirrored.Block().XL, -3296);
  EXPECT_EQ(mirrored.Block().Orientation, 90);
}

TEST(AssistedMethod, ACorrectionOfExactly3072CountsAndNoneAboveOrBelowZero) {
  const Calibration most = Calibrated(AssistedX(0, 256, 3840, 4096));  // d = 3072
  EXPECT_EQ(most.Linearity()->X, 0);
  EXPECT_EQ(most.Block().Xc, 512);
  EXPECT_EQ(most.Block().XL, 2048);
  const Calibration mostMirrored = Calibrated(AssistedX(4096, 3840, 256, 0));
  EXPECT_EQ(mostMirrored.Linearity()->X, 0);
  EXPECT_EQ(mostMirrored.Block().XL, -2048);

  const Calibration tooMuch = Calibrated(AssistedX(0, 256, 3841, 4097));  // d = 3073
  EXPECT_EQ(tooMuch.Linearity()->X, 3072);
  EXPECT_EQ(tooMuch.Block().Xc, 2048);
  EXPECT_EQ(tooMuch.Block().XL, 8194);

  const Calibration negative = Calibrated(AssistedX(1024, 1636, 2460, 3072));  // d = -400
  EXPECT_EQ(negative.Linearity()->X, 3072);
  EXPECT_EQ(negative.Block().Xc, 2048);
  EXPECT_EQ(negative.Block().XL, 4096);
}

TEST(Computation, APassWhoseSpanComesOutZeroIsRefused) {
  const auto refused = [](const PassResult& result) {
    return std::holds_alternative<ZeroSpan>(result);
  };
  // Degenerate four-corner passes: TL and BR share a raw X or a raw Y.
  EXPECT_TRUE(refused(FourCorner({1000, 1000}, {1000, 3000}, {1000, 3000}, {3000, 1000})));
  EXPECT_TRUE(refused(FourCorner({1000, 2000}, {3000, 2000}, {1000, 3000}, {3000, 1000})));
  // Diagonals that cancel out: the anti-diagonal runs against the main one.
  EXPECT_TRUE(refused(FourCorner({1000, 1000}, {2000, 2000}, {2000, 2000}, {1000, 1000})));
  // All four touches on one spot.
  EXPECT_TRUE(refused(FourCorner({500, 500}, {500, 500}, {500, 500}, {500, 500})));
  EXPECT_TRUE(refused(Assisted({500, 500}, {500, 500}, {500, 500}, {500, 500})));
  // A correction that pulls BR all the way back to TL.
  EXPECT_TRUE(refused(AssistedX(0, 0, 1000, 1000)));
}

TEST(Computation, ExtremeRawValuesWrapWithoutUndefinedBehaviour) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  // d = 0 - kMax + kMin wraps to 1; BR becomes kMax - 1.
  const Calibration wrapped = Calibrated(AssistedX(kMin, 0, 0, kMax));
  EXPECT_EQ(wrapped.Linearity()->X, 3071);
  EXPECT_EQ(wrapped.Block().Xc, -1);
  EXPECT_EQ(wrapped.Block().XL, -4);
  EXPECT_TRUE(std::holds_alternative<Calibration>(
      FourCorner({kMin, kMax}, {kMax, kMin}, {kMax, kMax}, {kMin, kMin})));
  EXPECT_EQ(SharesOf({{kMax, kMax}, {kMax, 1}}).Svp, 4096);
}

TEST(MonitorShares, WorkedExamples) {
  EXPECT_EQ(SharesOf({{1280, 1024}, {1024, 768}}), (MonitorShares{2275, 1820, 4096, 3072}));
  EXPECT_EQ(SharesOf({{800, 600}, {1280, 1024}}), (MonitorShares{1575, 2520, 2400, 4096}));
  EXPECT_EQ(SharesOf({{1024, 768}, {0, 0}}), (MonitorShares{4096, 0, 4096, 0}));
  for (const Size one : {Size{640, 480}, Size{1024, 768}, Size{1920, 1080}}) {
    EXPECT_EQ(SharesOf({one, one}), (MonitorShares{2048, 2048, 4096, 4096}));
  }
  EXPECT_EQ(SharesOf({}), (MonitorShares{0, 0, 0, 4096})) << "no monitor: nothing to share";
}

}  // namespace
}  // namespace qvtouch::calib
