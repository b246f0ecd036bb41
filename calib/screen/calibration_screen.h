// The calibration screen: a borderless topmost window exactly over the area the touch screen
// covers. It shows the background with the instruction text and one target at a time, turns the
// run's requests into messages posted to the user-interface thread, and hands the Escape key's
// release and the window's closing to the run. Each platform draws it with its own means; the
// program sees only this.
#pragma once

#include <cstdint>
#include <memory>

#include "calib/layout.h"
#include "calib/run/calibration_run.h"

namespace qvtouch::calib {

inline constexpr char kInstructionText[] =
    "Please touch the cross field to calibrate,and press ESCAPE key to cancel.";

// The target as shown: the top-left 54 x 54 pixels of a 64 x 64 cell, centred on the cross.
inline constexpr int kTargetCellSize = 64;
inline constexpr int kTargetSize = 54;
inline constexpr int kTargetCentre = 27;

class CalibrationScreen : public RunWindow {
 public:
  // Creates the window over the layout's area, topmost and visible in its plain colour; null when
  // it cannot be created.
  static std::unique_ptr<CalibrationScreen> Create(const ScreenLayout& layout);

  // The run that the window's messages go to, from now on.
  virtual void Attach(CalibrationRun& run) = 0;
  // Builds the background and the target cell, and shows the background with the first target.
  virtual void DrawScreen() = 0;
  // Shows the window as the program was started to show it, in front of the others.
  virtual void Show() = 0;
  // Runs the user-interface thread's messages until Quit; returns the exit code.
  virtual int RunMessageLoop() = 0;
};

// The size of the display that the screen placements divide (for the stretched placements 17 to
// 20, a desktop that spans both monitors).
Size DisplaySize(std::int32_t screenPost);

}  // namespace qvtouch::calib
