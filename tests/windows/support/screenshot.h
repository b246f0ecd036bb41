// Pictures of what the screen shows, for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace qvtouch::test {

// Saves the screen's pixels inside `area` (screen coordinates) as a PNG file; false when it
// cannot.
bool SaveScreenArea(const RECT& area, const std::string& path);

}  // namespace qvtouch::test
