// Driving the programs' windows from another process, as a user would but without guessing at
// pixels: windows are found by caption, buttons pressed by id with BM_CLICK, and keys and closing
// sent as messages (without a window manager the keyboard focus cannot be relied on).
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace qvtouch::test {

using namespace std::chrono_literals;

// The top-level window with that caption (and class, when given), waiting up to `timeout`; null
// when none appeared.
HWND WaitForWindow(const char* caption, const char* windowClass = nullptr,
                   std::chrono::milliseconds timeout = 20s);
// Whether the window is gone within `timeout`.
bool WaitUntilGone(HWND window, std::chrono::milliseconds timeout = 20s);

// A control's text, read by message so that it works across processes.
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);

// Presses a dialog's button, as a click does. Posted: a button whose handler runs a dialog of its
// own does not hold up the caller.
void PressButton(HWND dialog, int id);
// The same for the button showing that text (a message box's buttons are known by their text).
void PressButton(HWND dialog, const char* text);
// The texts of the window's static controls, in child order.
std::vector<std::string> StaticTexts(HWND window);
// A key going down and up, delivered to the window's message loop.
void PressKey(HWND window, WPARAM key);
// The caption's close box.
void Close(HWND window);

// Saves a picture of the window as <QVTOUCH_SCREENSHOT_DIR>\<name>.png when that variable is set.
void SaveScreenshot(HWND window, const std::string& name);

// A path of the host's file system as the programs under Wine see it: its drive Z: is the root.
std::string HostPath(const std::string& path);

}  // namespace qvtouch::test
