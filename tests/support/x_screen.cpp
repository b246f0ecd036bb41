#include "tests/support/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "platform/x11/ignored_x_errors.h"

namespace qvtouch::testing {

XScreen::XScreen(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}

XScreen::~XScreen() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

std::optional<ScreenRect> XScreen::WindowTitled(const std::string& title) const {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  const platform::IgnoredXErrors ignored(display_);  // windows may close while looked at
  XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
  std::optional<ScreenRect> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display_, children[i], &name) != 0 && name != nullptr && title == name &&
        XGetWindowAttributes(display_, children[i], &attributes) != 0 &&
        attributes.map_state == IsViewable) {
      found = ScreenRect{attributes.x, attributes.y, attributes.width, attributes.height};
    }
    if (name != nullptr) XFree(name);
  }
  if (children != nullptr) XFree(children);
  return found;
}

ScreenPoint XScreen::PointerPosition() const {
  Window root = 0;
  Window child = 0;
  ScreenPoint point;
  int windowX = 0;
  int windowY = 0;
  unsigned mask = 0;
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &point.X, &point.Y, &windowX,
                &windowY, &mask);
  return point;
}

std::uint32_t XScreen::ColourAt(int x, int y) const {
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const auto colour = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
  XDestroyImage(image);
  return colour;
}

void XScreen::Click(int x, int y) const {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
  XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
  XSync(display_, False);
}

void XScreen::PressKey(const char* name) const {
  KeyDown(name);
  KeyUp(name);
}

void XScreen::Key(const char* name, bool down) const {
  const KeyCode key = XKeysymToKeycode(display_, XStringToKeysym(name));
  XTestFakeKeyEvent(display_, key, down ? True : False, CurrentTime);
  XSync(display_, False);
}

}  // namespace qvtouch::testing
