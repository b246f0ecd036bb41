// Keeping a confirmed calibration in the driver's settings key, where the driver loads it.
#pragma once

#include <functional>
#include <string_view>

#include "calib/calibration.h"

namespace qvtouch::calib {

inline constexpr std::string_view kNoRightsMessage =
    "To do this opration should have administrators privilege.";
inline constexpr std::string_view kNoRightsCaption = "Error";

// Shows the user a message with a caption: the program's message dialog.
using MessageDisplay = std::function<void(std::string_view text, std::string_view caption)>;

// Opens the settings key under HKEY_LOCAL_MACHINE with the right to set values only, never
// creating it, and writes Xc, XL, Yc, YL, Shp, Shs, Svp and Svs as REG_DWORD values, in that
// order; a single write's result is not examined. The orientation is not written: the driver
// derives it from the spans' signs whenever it loads its settings. When the key cannot be opened
// (no right to change the store, or no key) it shows kNoRightsMessage with kNoRightsCaption and
// writes nothing.
void StoreCalibration(const Calibration& calibration, const MessageDisplay& showMessage);

}  // namespace qvtouch::calib
