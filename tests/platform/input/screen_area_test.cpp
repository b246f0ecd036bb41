#include "platform/input/screen_area.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/mouse_input.h"

namespace qvtouch::platform {
namespace {

TEST(ScreenArea, MapsTheRangeOntoTheAreaAndClampsToItsBorder) {
  const ScreenRect right{800, 0, 800, 600};
  EXPECT_EQ(MapAbsolute(0, 0, right), (ScreenPoint{800, 0}));
  EXPECT_EQ(MapAbsolute(32768, 32768, right), (ScreenPoint{1200, 300}));
  EXPECT_EQ(MapAbsolute(65535, 65535, right), (ScreenPoint{1599, 599}));
  EXPECT_EQ(MapAbsolute(65536, 65536, right), (ScreenPoint{1599, 599}));
  EXPECT_EQ(MapAbsolute(16384, 49152, right), (ScreenPoint{1000, 450}));
  // Beyond the calibrated edges (the mapping does not clamp).
  EXPECT_EQ(MapAbsolute(-2552, 68071, right), (ScreenPoint{800, 599}));
  EXPECT_EQ(MapAbsolute(INT32_MIN, INT32_MAX, right), (ScreenPoint{800, 599}));
  // Truncation: 81 * 1024 / 65536 is 1.27.
  EXPECT_EQ(MapAbsolute(81, 81, ScreenRect{-1024, -768, 1024, 768}), (ScreenPoint{-1023, -768}));
  EXPECT_EQ(MapAbsolute(30000, 30000, ScreenRect{5, 7, 0, 0}), (ScreenPoint{5, 7}));
}

TEST(ScreenArea, TheMoveFlagsChooseThePrimaryMonitorOrTheWholeDesktop) {
  std::vector<Monitor> monitors{{{0, 0, 800, 600}, false}, {{800, 0, 1024, 768}, true}};
  EXPECT_EQ(TargetArea(MOUSE_MOVE_ABSOLUTE, monitors), (ScreenRect{800, 0, 1024, 768}));
  EXPECT_EQ(TargetArea(MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP, monitors),
            (ScreenRect{0, 0, 1824, 768}));
  monitors[1].Primary = false;  // none marked: the first
  EXPECT_EQ(PrimaryArea(monitors), (ScreenRect{0, 0, 800, 600}));

  const std::vector<Monitor> aboveAndLeft{{{0, 0, 1920, 1080}, true},
                                          {{-1280, -1024, 1280, 1024}, false},
                                          {{0, 1080, 640, 480}, false}};
  EXPECT_EQ(DesktopArea(aboveAndLeft), (ScreenRect{-1280, -1024, 3200, 2584}));
}

}  // namespace
}  // namespace qvtouch::platform
