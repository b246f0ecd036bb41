// The screen layout: the window per placement, the monitor sizes and the targets.
#include <gtest/gtest.h>

#include "calib/layout.h"
#include "calib/targets.h"

namespace qvtouch::calib {
namespace {

constexpr Size kDisplay{1024, 768};

TEST(Layout, TheBottomHalfOfAStretchedDesktop) {
  const ScreenLayout layout = LayOutScreen(20, kDisplay, {});
  EXPECT_EQ(layout.Window, (WindowRect{0, 384, 1024, 768}));
  EXPECT_EQ(layout.Width, 1024);
  EXPECT_EQ(layout.Height, 384);
  EXPECT_EQ(layout.Monitors, (MonitorSizes{kDisplay, kDisplay}));
  const std::pair<std::int32_t, WindowPoint> targets[]{
      {TARGET_TOP_LEFT, {256, 96}},     {TARGET_BOTTOM_RIGHT, {768, 288}},
      {TARGET_BOTTOM_LEFT, {256, 288}}, {TARGET_TOP_RIGHT, {768, 96}},
      {TARGET_DIAG_NEAR, {384, 144}},   {TARGET_DIAG_FAR, {640, 240}}};
  for (const auto& [code, at] : targets) EXPECT_EQ(layout.TargetAt(code), at) << code;
  EXPECT_EQ(layout.TargetAt(TARGET_NONE), std::nullopt);
  EXPECT_EQ(layout.TargetAt(17), std::nullopt);
}

TEST(Layout, EachPlacementsWindow) {
  const std::pair<std::int32_t, WindowRect> windows[]{
      {16, {0, 0, 1024, 768}}, {17, {0, 0, 512, 768}}, {18, {512, 0, 1024, 768}},
      {19, {0, 0, 1024, 384}}, {0, {0, 0, 1024, 768}}, {99, {0, 0, 1024, 768}}};
  for (const auto& [screenPost, window] : windows) {
    const ScreenLayout layout = LayOutScreen(screenPost, kDisplay, {6, 2});
    EXPECT_EQ(layout.Window, window) << screenPost;
    EXPECT_EQ(layout.Monitors, (MonitorSizes{kDisplay, kDisplay})) << screenPost;
  }
}

TEST(Layout, TheSecondaryMonitorLiesRightOfThePrimary) {
  const ScreenLayout both = LayOutScreen(38, kDisplay, {6, 2});
  EXPECT_EQ(both.Window, (WindowRect{1280, 0, 2304, 768}));
  EXPECT_EQ(both.Monitors, (MonitorSizes{{1280, 1024}, {1024, 768}}));
  EXPECT_EQ(both.TargetAt(TARGET_BOTTOM_RIGHT), (WindowPoint{768, 576}));

  // An index outside the table, or none at all, leaves the secondary monitor without a size.
  for (const MonitorScaleIndexes scales : {MonitorScaleIndexes{6, 7}, MonitorScaleIndexes{6, {}}}) {
    const ScreenLayout empty = LayOutScreen(38, kDisplay, scales);
    EXPECT_EQ(empty.Window, (WindowRect{1280, 0, 1280, 0}));
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.Height, 0);
  }
}

TEST(Layout, ThePrimaryMonitorTakesItsSizeFromItsIndex) {
  const Size sizes[]{{640, 480},  {800, 600},  {1024, 768}, {1152, 864},
                     {1280, 768}, {1280, 800}, {1280, 1024}};
  for (std::uint32_t index = 0; index < 7; ++index) {
    const ScreenLayout layout = LayOutScreen(37, {1920, 1080}, {index, index});
    EXPECT_EQ(layout.Window, (WindowRect{0, 0, sizes[index].Width, sizes[index].Height}));
    EXPECT_EQ(layout.Monitors, (MonitorSizes{sizes[index], sizes[index]}));
  }
  const ScreenLayout outside = LayOutScreen(37, {1920, 1080}, {7, {}});
  EXPECT_EQ(outside.Monitors, (MonitorSizes{{1024, 768}, {0, 0}}));
}

TEST(Targets, EachMethodCollectsItsFourInOrder) {
  EXPECT_EQ(TargetsOf(CalibrationMethod::ControllerAssisted),
            (std::array{TARGET_TOP_LEFT, TARGET_DIAG_NEAR, TARGET_DIAG_FAR, TARGET_BOTTOM_RIGHT}));
  EXPECT_EQ(
      TargetsOf(CalibrationMethod::FourCorner),
      (std::array{TARGET_TOP_LEFT, TARGET_BOTTOM_RIGHT, TARGET_BOTTOM_LEFT, TARGET_TOP_RIGHT}));
}

}  // namespace
}  // namespace qvtouch::calib
