#include "calib/screen/single_instance.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/x11/ignored_x_errors.h"

namespace qvtouch::calib {
namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

struct XFreeDeleter {
  void operator()(void* data) const { XFree(data); }
};

// Window managers put top-level windows into frames: look a few levels down.
constexpr int kSearchDepth = 3;

std::string WindowTitle(Display* display, Window window) {
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, netName, 0, 256, False, utf8, &type, &format, &count,
                         &remaining, &data) == Success &&
      data != nullptr) {
    std::unique_ptr<unsigned char, XFreeDeleter> owned(data);
    return std::string(reinterpret_cast<const char*>(data), count);
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    std::unique_ptr<char, XFreeDeleter> owned(name);
    return name;
  }
  return {};
}

bool IsCalibrationWindow(Display* display, Window window) {
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint) == 0) return false;
  const bool sameClass = hint.res_class != nullptr && kWindowClass == hint.res_class;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return sameClass && WindowTitle(display, window) == kWindowTitle;
}

std::optional<Window> FindWindow(Display* display, Window parent, int depth) {
  Window root = 0;
  Window grandparent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, parent, &root, &grandparent, &children, &count) == 0) return std::nullopt;
  std::unique_ptr<Window, XFreeDeleter> owned(children);
  for (unsigned i = 0; i < count; ++i) {
    if (IsCalibrationWindow(display, children[i])) return children[i];
  }
  if (depth == 0) return std::nullopt;
  for (unsigned i = 0; i < count; ++i) {
    if (const auto found = FindWindow(display, children[i], depth - 1)) return found;
  }
  return std::nullopt;
}

// Asks the window manager, where there is one, to activate the window; raises it in any case.
void Activate(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XRaiseWindow(display, window);
  XFlush(display);
}

}  // namespace

bool BringRunningCalibrationToFront() {
  const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return false;
  const platform::IgnoredXErrors ignored(display.get());  // windows may close while searched
  const auto window = FindWindow(display.get(), DefaultRootWindow(display.get()), kSearchDepth);
  if (!window) return false;
  Activate(display.get(), *window);
  return true;
}

}  // namespace qvtouch::calib
