// An X display used as a person uses it: windows found by their title, clicks and key presses
// sent through XTest to whatever is under the pointer or has the focus.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct _XDisplay;

namespace qvtouch::testing {

struct ScreenPoint {
  int X = 0;
  int Y = 0;
};

struct ScreenRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

class XScreen {
 public:
  explicit XScreen(const std::string& display);
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  bool Connected() const { return display_ != nullptr; }
  // The shown top-level window with that title.
  std::optional<ScreenRect> WindowTitled(const std::string& title) const;
  // Where the pointer is.
  ScreenPoint PointerPosition() const;
  // The colour shown at the point, as 0xRRGGBB (the screen being true colour, as Xvfb's is).
  std::uint32_t ColourAt(int x, int y) const;
  // Moves the pointer to the point and clicks the left button.
  void Click(int x, int y) const;
  // Presses and releases the key of that name ("Return", "Escape").
  void PressKey(const char* name) const;
  // Only presses it, or only releases it, as a person does whose key stays down a while.
  void KeyDown(const char* name) const { Key(name, true); }
  void KeyUp(const char* name) const { Key(name, false); }

 private:
  void Key(const char* name, bool down) const;

  _XDisplay* display_;
};

}  // namespace qvtouch::testing
