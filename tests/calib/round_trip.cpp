#include "tests/calib/round_trip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "calib/computation.h"
#include "calib/targets.h"
#include "common/controller_commands.h"
#include "common/little_endian.h"
#include "common/mouse_input.h"
#include "driver/mapping.h"

namespace qvtouch::calib::testing {

sim::PanelGeometry PanelOver(const ScreenLayout& layout, std::uint32_t turn, std::uint32_t bend) {
  sim::PanelGeometry panel;
  panel.Width = static_cast<std::uint32_t>(layout.Width);
  panel.Height = static_cast<std::uint32_t>(layout.Height);
  panel.TopLeft = {400, 360};  // room below for the straightened bend, which reads Bend less
  panel.BottomRight = {3900, 3880};
  panel.Turn = turn;
  panel.Bend = bend;
  return panel;
}

PassResult CalibrationPass(Touchscreen& screen, const ScreenLayout& layout) {
  const bool assisted =
      screen.Command(kEnterAssistedMode, kModeReplySize).at(kModeReplyResultOffset) ==
      kModeAccepted;
  const CalibrationMethod method =
      assisted ? CalibrationMethod::ControllerAssisted : CalibrationMethod::FourCorner;
  PassPoints points;
  for (const std::int32_t target : TargetsOf(method)) {
    const WindowPoint at = layout.TargetAt(target).value();
    const sim::Point raw =
        screen.Touch(static_cast<std::uint32_t>(at.X), static_cast<std::uint32_t>(at.Y));
    *points.For(target) = {raw.X, raw.Y};
  }
  PassResult result = ComputeCalibration(method, points, layout.Monitors);
  const auto* calibration = std::get_if<Calibration>(&result);
  if (assisted && calibration != nullptr) {
    const LinearityValues linearity = calibration->Linearity().value();
    screen.Command(SetParametersCommand(linearity.X, linearity.Y), 0);
    const auto parameters = screen.Command(kReadParameters, kParametersReplySize);
    EXPECT_EQ(parameters.size(), kParametersReplySize);
    EXPECT_EQ(LoadU16(parameters, kParametersReplyXOffset), linearity.X);
    EXPECT_EQ(LoadU16(parameters, kParametersReplyYOffset), linearity.Y);
    screen.Command(kLeaveAssistedMode, kModeReplySize);
  }
  return result;
}

Miss WorstMiss(Touchscreen& screen, const Calibration& calibration, const ScreenLayout& layout,
               const Desk& desk) {
  constexpr int kSteps = 8;
  Miss worst;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      const std::int32_t x = layout.Width * i / kSteps;
      const std::int32_t y = layout.Height * j / kSteps;
      const sim::Point raw =
          screen.Touch(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
      const driver::MappedPosition mapped =
          driver::MapReport(raw.X, raw.Y, calibration.Block(), desk.ScreenPost);
      // MOUSE_MOVE_ABSOLUTE alone spans the primary display, with MOUSE_VIRTUAL_DESKTOP the
      // desktop.
      const Size area = (mapped.Flags & MOUSE_VIRTUAL_DESKTOP) != 0 ? desk.Desktop : desk.Display;
      const double pixelX = double(mapped.X) * area.Width / 65536 - layout.Window.Left;
      const double pixelY = double(mapped.Y) * area.Height / 65536 - layout.Window.Top;
      const double miss = std::max(std::abs(pixelX - x), std::abs(pixelY - y));
      if (miss > worst.Pixels) worst = {miss, x, y};
    }
  }
  return worst;
}

}  // namespace qvtouch::calib::testing
