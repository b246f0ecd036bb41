// Windows come and go while a program looks at them (a list closes, a program ends): an error
// about one that has gone is no failure. Xlib's own handler would end the whole program. For the
// object's life, errors on the display are ignored.
#pragma once

#include <X11/Xlib.h>

namespace qvtouch::platform {

class IgnoredXErrors {
 public:
  explicit IgnoredXErrors(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler(Ignore);
  }
  ~IgnoredXErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  IgnoredXErrors(const IgnoredXErrors&) = delete;
  IgnoredXErrors& operator=(const IgnoredXErrors&) = delete;

 private:
  static int Ignore(Display*, XErrorEvent*) { return 0; }

  Display* display_;
  XErrorHandler previous_ = nullptr;
};

}  // namespace qvtouch::platform
