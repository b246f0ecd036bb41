// The calibration screen's two drawing surfaces on the platform's GDI, built once and kept until
// the program ends: the background (bitmap resource 135 stretched over the window, with the
// instruction text) and the target cell (the cross on a piece of that background).
#pragma once

#include <windows.h>

#include <optional>

#include "calib/layout.h"

namespace qvtouch::calib {

class CalibrationSurfaces {
 public:
  // Draws both surfaces for the window, whose client area is width x height, with the instruction
  // text's top at textTop, and copies the background onto the window. A bitmap or font that
  // cannot be created leaves the surfaces without it.
  CalibrationSurfaces(HWND window, int width, int height, int textTop);
  ~CalibrationSurfaces();
  CalibrationSurfaces(const CalibrationSurfaces&) = delete;
  CalibrationSurfaces& operator=(const CalibrationSurfaces&) = delete;

  // The whole background at (0, 0), which erases any target shown before, and then the target
  // centred on `target`, if any.
  void Show(HDC device, std::optional<WindowPoint> target) const;

 private:
  int width_;
  int height_;
  HDC background_ = nullptr;
  HGDIOBJ backgroundBitmap_ = nullptr;
  HGDIOBJ backgroundFirstBitmap_ = nullptr;
  HDC cell_ = nullptr;
  HGDIOBJ cellBitmap_ = nullptr;
  HGDIOBJ cellFirstBitmap_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace qvtouch::calib
