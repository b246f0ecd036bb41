// The whole idea without a window: touch the targets through the panel model, compute, and every
// touch over the window then lands within 2 pixels of where it was made.
#include <gtest/gtest.h>

#include <tuple>

#include "common/controller_commands.h"
#include "tests/calib/round_trip.h"

namespace qvtouch::calib::testing {
namespace {

constexpr double kTolerance = 2;

const Calibration& Calibrated(const PassResult& result) {
  EXPECT_TRUE(std::holds_alternative<Calibration>(result)) << "refused as a zero span";
  return std::get<Calibration>(result);
}

// A panel turned by 0, 90, 180 or 270 degrees, with each method, on a single monitor.
class TurnedPanel : public ::testing::TestWithParam<std::tuple<std::uint32_t, bool>> {};

TEST_P(TurnedPanel, TouchesLandWhereTheyWereMade) {
  const auto [turn, refuseAssisted] = GetParam();
  const Desk desk;
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  ModelTouchscreen screen(PanelOver(layout, turn), refuseAssisted);
  const Calibration calibration = Calibrated(CalibrationPass(screen, layout));
  EXPECT_EQ(calibration.Linearity().has_value(), !refuseAssisted);
  EXPECT_LE(WorstMiss(screen, calibration, layout, desk).Pixels, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(EachTurnAndMethod, TurnedPanel,
                         ::testing::Combine(::testing::Values(0u, 90u, 180u, 270u),
                                            ::testing::Bool()));

// The touch screen as one part of a two-monitor desktop.
struct Placement {
  Desk Where;
  std::uint32_t Turn;
};

class PlacedPanel : public ::testing::TestWithParam<std::tuple<Placement, bool>> {};

TEST_P(PlacedPanel, TouchesLandWhereTheyWereMade) {
  const auto [placement, refuseAssisted] = GetParam();
  const Desk& desk = placement.Where;
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  ModelTouchscreen screen(PanelOver(layout, placement.Turn), refuseAssisted);
  const Calibration calibration = Calibrated(CalibrationPass(screen, layout));
  EXPECT_LE(WorstMiss(screen, calibration, layout, desk).Pixels, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(
    TwoMonitors, PlacedPanel,
    ::testing::Combine(::testing::Values(Placement{{17, {2048, 768}, {}, {2048, 768}}, 0},
                                         Placement{{20, {1024, 1536}, {}, {1024, 1536}}, 180},
                                         Placement{{37, {1280, 768}, {4, 0}, {1920, 768}}, 0},
                                         Placement{{38, {1280, 1024}, {6, 2}, {2304, 1024}}, 90}),
                       ::testing::Bool()));

TEST(BentPanel, TheAssistedMethodMeasuresTheBendAndTheControllerStraightensIt) {
  const Desk desk;
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  for (const std::uint32_t turn : {0u, 270u}) {
    ModelTouchscreen screen(PanelOver(layout, turn, /*bend=*/300));
    const Calibration calibration = Calibrated(CalibrationPass(screen, layout));
    EXPECT_NEAR(calibration.Linearity()->X, 3072 - 600, 2) << turn;
    EXPECT_NEAR(calibration.Linearity()->Y, 3072 - 600, 2) << turn;
    EXPECT_LE(WorstMiss(screen, calibration, layout, desk).Pixels, kTolerance) << turn;

    // Without its linearity values the controller reports the bend, and the middle misses.
    screen.Command(SetParametersCommand(kNoLinearityCorrection, kNoLinearityCorrection), 0);
    EXPECT_GT(WorstMiss(screen, calibration, layout, desk).Pixels, 50) << turn;
  }
}

TEST(DeadPanel, AnAxisThatNeverMovesGivesAZeroSpanAndNothingToTry) {
  const Desk desk;
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  sim::PanelGeometry dead = PanelOver(layout, 0);
  dead.BottomRight.X = dead.TopLeft.X;
  for (const bool refuseAssisted : {false, true}) {
    ModelTouchscreen screen(dead, refuseAssisted);
    EXPECT_TRUE(std::holds_alternative<ZeroSpan>(CalibrationPass(screen, layout)));
  }
}

}  // namespace
}  // namespace qvtouch::calib::testing
