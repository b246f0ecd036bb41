// What the screen shows: its pixels, and pictures of it for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace qvtouch::test {

// The colour of the screen's pixel at (x, y).
COLORREF ScreenPixel(int x, int y);

// Whether the screen's row y, from x `from` up to `to`, shows any colour but `background`.
bool RowShowsMoreThan(int y, int from, int to, COLORREF background);

// Saves the screen's pixels inside `area` (screen coordinates) as a PNG file; false when it
// cannot.
bool SaveScreenArea(const RECT& area, const std::string& path);

}  // namespace qvtouch::test
