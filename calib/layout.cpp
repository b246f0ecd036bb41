#include "calib/layout.h"

#include <array>

#include "calib/targets.h"
#include "common/screen_post.h"
#include "common/wrap32.h"

namespace qvtouch::calib {
namespace {

constexpr std::array<Size, 7> kScaleSizes{{
    {640, 480},
    {800, 600},
    {1024, 768},
    {1152, 864},
    {1280, 768},
    {1280, 800},
    {1280, 1024},
}};

std::optional<Size> ScaleSize(std::optional<std::uint32_t> index) {
  if (!index || *index >= kScaleSizes.size()) return std::nullopt;
  return kScaleSizes[*index];
}

// A quarter and three quarters of a length: the targets' lines.
std::int32_t Quarter(std::int32_t length) {
  return length / 4;
}
std::int32_t ThreeQuarters(std::int32_t length) {
  return WrapMul(3, length) / 4;
}

// 3/8 and 5/8 of the way between two target lines.
std::int32_t Near(std::int32_t first, std::int32_t second) {
  return WrapAdd(WrapMul(3, first), second) / 4;
}
std::int32_t Far(std::int32_t first, std::int32_t second) {
  return WrapAdd(first, WrapMul(3, second)) / 4;
}

// Outside the table a primary monitor is 1024 x 768 and a secondary one 0 x 0.
Size PrimaryMonitorSize(std::optional<std::uint32_t> index) {
  return ScaleSize(index).value_or(Size{1024, 768});
}

Size SecondaryMonitorSize(std::optional<std::uint32_t> index) {
  return ScaleSize(index).value_or(Size{0, 0});
}

}  // namespace

ScreenLayout LayOutScreen(std::int32_t screenPost, Size display,
                          const MonitorScaleIndexes& scales) {
  const std::int32_t W = display.Width;
  const std::int32_t H = display.Height;
  ScreenLayout layout;
  layout.Monitors = {display, display};
  switch (screenPost) {
    case kScreenStretchedLeft:
      layout.Window = {0, 0, W / 2, H};
      break;
    case kScreenStretchedRight:
      layout.Window = {W / 2, 0, W, H};
      break;
    case kScreenStretchedTop:
      layout.Window = {0, 0, W, H / 2};
      break;
    case kScreenStretchedBottom:
      layout.Window = {0, H / 2, W, H};
      break;
    case kScreenPrimary:
    case kScreenSecondary: {
      const Size primary = PrimaryMonitorSize(scales.PrimaryScale);
      const Size secondary = SecondaryMonitorSize(scales.SlaveScale);
      layout.Monitors = {primary, secondary};
      // The secondary monitor lies right of the primary, aligned with its top.
      layout.Window = screenPost == kScreenPrimary
                          ? WindowRect{0, 0, primary.Width, primary.Height}
                          : WindowRect{primary.Width, 0, WrapAdd(primary.Width, secondary.Width),
                                       secondary.Height};
      break;
    }
    default:  // 16, and any other placement: the whole display
      layout.Window = {0, 0, W, H};
      break;
  }
  layout.Width = WrapSub(layout.Window.Right, layout.Window.Left);
  layout.Height = WrapSub(layout.Window.Bottom, layout.Window.Top);
  layout.X1 = Quarter(layout.Width);
  layout.X2 = ThreeQuarters(layout.Width);
  layout.Y1 = Quarter(layout.Height);
  layout.Y2 = ThreeQuarters(layout.Height);
  return layout;
}

std::optional<WindowPoint> ScreenLayout::TargetAt(std::int32_t target) const {
  switch (target) {
    case TARGET_TOP_LEFT:
      return WindowPoint{X1, Y1};
    case TARGET_BOTTOM_RIGHT:
      return WindowPoint{X2, Y2};
    case TARGET_DIAG_NEAR:
      return WindowPoint{Near(X1, X2), Near(Y1, Y2)};
    case TARGET_DIAG_FAR:
      return WindowPoint{Far(X1, X2), Far(Y1, Y2)};
    case TARGET_BOTTOM_LEFT:
      return WindowPoint{X1, Y2};
    case TARGET_TOP_RIGHT:
      return WindowPoint{X2, Y1};
    default:
      return std::nullopt;
  }
}

}  // namespace qvtouch::calib
