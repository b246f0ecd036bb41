#include <gtest/gtest.h>

#include <limits>

#include "common/mouse_input.h"
#include "common/orientation.h"
#include "driver/mapping.h"

namespace qvtouch::driver {
namespace {

CalibrationBlock Calibration(std::int32_t xc, std::int32_t xl, std::int32_t yc = 0,
                             std::int32_t yl = 800) {
  CalibrationBlock block;
  block.Xc = xc;
  block.XL = xl;
  block.Yc = yc;
  block.YL = yl;
  block.Orientation = 0;  // set directly, as a calibration block does
  block.Shp = block.Shs = block.Svp = block.Svs = 2;
  return block;
}

std::int32_t X(std::uint16_t raw, const CalibrationBlock& c, std::int32_t screenPost = 16) {
  return MapReport(raw, 0, c, screenPost).X;
}

std::int32_t Y(std::uint16_t raw, const CalibrationBlock& c, std::int32_t screenPost = 16) {
  return MapReport(0, raw, c, screenPost).Y;
}

struct Example {
  std::uint16_t Raw;
  std::int32_t Expected;
};

void ExpectX(const CalibrationBlock& c, std::int32_t screenPost,
             std::initializer_list<Example> examples) {
  for (const Example& e : examples) EXPECT_EQ(X(e.Raw, c, screenPost), e.Expected) << "raw " << e.Raw;
}

void ExpectY(const CalibrationBlock& c, std::int32_t screenPost,
             std::initializer_list<Example> examples) {
  for (const Example& e : examples) EXPECT_EQ(Y(e.Raw, c, screenPost), e.Expected) << "raw " << e.Raw;
}

TEST(Mapping, DefaultCalibration) {
  ExpectX(Calibration(0, 800), 16, {{0, 32768}, {100, 40960}, {400, 65536}, {800, 98304}});
}

TEST(Mapping, CentredCalibrationNeitherClampsNorDrops) {
  ExpectX(Calibration(2048, 3800), 16,
          {{148, 0}, {2048, 32768}, {3948, 65536}, {4095, 68071}, {0, -2552}, {2047, 32751},
           {2049, 32785}});
}

TEST(Mapping, NegativeSpanMirrorsTheAxis) {
  ExpectX(Calibration(2048, -3800), 16, {{148, 65536}, {3948, 0}, {2049, 32751}});
}

TEST(Mapping, StretchedDesktopHalves) {
  const auto c = Calibration(2048, 3800, 2048, 3800);
  ExpectX(c, 17, {{148, 0}, {2048, 16384}, {3948, 32768}});
  ExpectX(c, 18, {{148, 32768}, {2048, 49152}, {3948, 65536}, {0, 31491}});
  ExpectY(c, 19, {{148, 0}, {2048, 16384}, {3948, 32768}});
  ExpectY(c, 20, {{148, 32768}, {2048, 49152}, {3948, 65536}});
  // Each placement leaves the other axis on the full range.
  ExpectX(c, 19, {{3948, 65536}});
  ExpectY(c, 17, {{3948, 65536}});
}

TEST(Mapping, PrimaryAndSecondaryMonitorShares) {
  auto c = Calibration(2048, 3800, 2048, 3800);
  c.Shp = 2048;
  ExpectX(c, 37, {{148, 0}, {2048, 16384}, {3948, 32768}});
  c.Shs = 2048;
  ExpectX(c, 38, {{148, 32768}, {2048, 49152}, {3948, 65536}});
  c.Shp = 2560;
  c.Shs = 1536;
  ExpectX(c, 38, {{148, 40960}, {2048, 53248}, {3948, 65536}});
  c.Svs = 3072;
  ExpectY(c, 38, {{148, 0}, {2048, 24576}, {3948, 49152}});
}

TEST(Mapping, SecondaryWithoutPrimaryShareIsThePrimaryPlacementWithSecondaryShares) {
  auto c = Calibration(2048, 3800, 2048, 3800);
  c.Shp = 0;
  c.Shs = 3000;
  c.Svs = 1000;
  for (std::uint16_t raw : {148, 1000, 2048, 3948}) {
    auto primary = c;
    primary.Shp = c.Shs;
    primary.Svp = c.Svs;
    const MappedPosition secondary = MapReport(raw, raw, c, 38);
    const MappedPosition expected = MapReport(raw, raw, primary, 37);
    EXPECT_EQ(secondary.X, expected.X);
    EXPECT_EQ(secondary.Y, expected.Y);
  }
}

TEST(Mapping, CentreLandsMidwayInEveryPlacement) {
  const auto c = Calibration(2048, 3800, 2048, 3800);
  for (std::int32_t post : {16, 19, 20, 99}) EXPECT_EQ(X(2048, c, post), 32768) << post;
  for (std::int32_t post : {16, 17, 18, 99}) EXPECT_EQ(Y(2048, c, post), 32768) << post;
  EXPECT_EQ(X(2048, c, 17), 16384);
  EXPECT_EQ(Y(2048, c, 19), 16384);
  EXPECT_EQ(X(2048, c, 18), 49152);
  EXPECT_EQ(Y(2048, c, 20), 49152);
}

TEST(Mapping, HalfASpanFromTheCentreReachesTheEdgesForBothSigns) {
  for (std::int32_t span : {3800, -3800}) {
    const auto c = Calibration(2048, span);
    EXPECT_EQ(X(static_cast<std::uint16_t>(2048 - span / 2), c), 0);
    EXPECT_EQ(X(static_cast<std::uint16_t>(2048 + span / 2), c), 65536);
  }
}

TEST(Mapping, QuarterTurnSwapsTheAxes) {
  CalibrationBlock c = Calibration(2048, -3800, 2048, 3800);
  c.Orientation = OrientationOf(c.XL, c.YL, 0);
  ASSERT_EQ(c.Orientation, 90);
  EXPECT_EQ(MapReport(0, 3948, c, 16).X, 65536);
  EXPECT_EQ(MapReport(3948, 0, c, 16).Y, 0);
  c.Orientation = 270;
  EXPECT_EQ(MapReport(0, 3948, c, 16).X, 65536);
  c.Orientation = 180;  // no swap: raw X drives X
  EXPECT_EQ(MapReport(3948, 0, c, 16).X, 0);
}

TEST(Mapping, MoveFlagsMarkTheVirtualDesktopForEveryPlacementButSingle) {
  const auto c = Calibration(0, 800);
  EXPECT_EQ(MapReport(0, 0, c, 16).Flags, MOUSE_MOVE_ABSOLUTE);
  for (std::int32_t post : {17, 18, 19, 20, 37, 38, 0, -1}) {
    EXPECT_EQ(MapReport(0, 0, c, post).Flags, MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP);
  }
}

// Extreme calibrations wrap as signed 32-bit arithmetic does; under the undefined-behaviour
// sanitizer these also prove that no step overflows.
TEST(Mapping, ExtremeValuesWrapWithoutFault) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  CalibrationBlock c = Calibration(32768, -1, 0, 1);
  c.Shp = c.Shs = c.Svp = c.Svs = kMax;
  // d = -32768: (d << 16) is INT32_MIN, and INT32_MIN / -1 wraps to INT32_MIN.
  EXPECT_EQ(X(0, c), static_cast<std::int32_t>(0x80000000u + 32768u));
  for (std::int32_t span : {1, -1, 32768, -32768, kMin, kMax}) {
    for (std::int32_t centre : {0, 65535, kMin, kMax}) {
      c.Xc = c.Yc = centre;
      c.XL = c.YL = span;
      for (std::int32_t post : {16, 17, 18, 19, 20, 37, 38}) {
        for (std::uint16_t raw : {0, 1, 32767, 32768, 65535}) MapReport(raw, raw, c, post);
      }
    }
  }
}

}  // namespace
}  // namespace qvtouch::driver
