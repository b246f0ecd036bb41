#include "tests/cpl/x_user.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <optional>

#include "platform/x11/ignored_x_errors.h"

namespace qvtouch::cpl::testing {
namespace {

constexpr unsigned int kLeftButton = 1;

// The shown top-level window with that title.
std::optional<Window> ShownWindow(Display* display, const std::string& title) {
  const platform::IgnoredXErrors ignored(display);
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
    return std::nullopt;
  }
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr && title == name &&
        XGetWindowAttributes(display, children[i], &attributes) != 0 &&
        attributes.map_state == IsViewable) {
      found = children[i];
    }
    if (name != nullptr) XFree(name);
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

XUser::XUser() : display_(XOpenDisplay(nullptr)) {}

XUser::~XUser() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

void XUser::Click(const QWidget& widget, QPoint point) const {
  if (display_ == nullptr) return;
  const QPoint screen = widget.mapToGlobal(point);
  XTestFakeMotionEvent(display_, -1, screen.x(), screen.y(), CurrentTime);
  XTestFakeButtonEvent(display_, kLeftButton, True, CurrentTime);
  XTestFakeButtonEvent(display_, kLeftButton, False, CurrentTime);
  XFlush(display_);
}

bool XUser::Sees(const std::string& title) const {
  return display_ != nullptr && ShownWindow(display_, title).has_value();
}

bool XUser::PressKeyIn(const std::string& title, const char* keysym) const {
  if (display_ == nullptr) return false;
  const std::optional<Window> window = ShownWindow(display_, title);
  if (!window) return false;
  {
    const platform::IgnoredXErrors ignored(
        display_);  // the window may go before it takes the focus
    XSetInputFocus(display_, *window, RevertToParent, CurrentTime);
  }
  const KeyCode key = XKeysymToKeycode(display_, XStringToKeysym(keysym));
  XTestFakeKeyEvent(display_, key, True, CurrentTime);
  XTestFakeKeyEvent(display_, key, False, CurrentTime);
  XSync(display_, False);
  return true;
}

}  // namespace qvtouch::cpl::testing
