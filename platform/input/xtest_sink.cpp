#include "platform/input/xtest_sink.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <vector>

#include "platform/input/screen_area.h"
#include "platform/input/sink_error.h"

namespace qvtouch::platform {
namespace {

constexpr unsigned kLeftButton = 1;
constexpr unsigned kRightButton = 3;
// RandR reports monitors from version 1.5 on.
constexpr int kMonitorsMajor = 1;
constexpr int kMonitorsMinor = 5;

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

DisplayHandle OpenDisplay(const std::string& name) {
  XInitThreads();  // the host opens the sink on one thread and delivers on another
  return DisplayHandle(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
}

bool HasMonitors(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  return XRRQueryExtension(display, &eventBase, &errorBase) != 0 &&
         XRRQueryVersion(display, &major, &minor) != 0 &&
         (major > kMonitorsMajor || (major == kMonitorsMajor && minor >= kMonitorsMinor));
}

class XTestSink final : public PointerSink {
 public:
  explicit XTestSink(DisplayHandle display)
      : display_(std::move(display)),
        screen_(DefaultScreen(display_.get())),
        hasMonitors_(HasMonitors(display_.get())) {}

  void Deliver(const MOUSE_INPUT_DATA& record) override {
    Display* display = display_.get();
    // The pointer port sends absolute positions only; a relative record moves nothing.
    if ((record.Flags & MOUSE_MOVE_ABSOLUTE) != 0) {
      const std::vector<Monitor> monitors = Monitors();
      const ScreenPoint point =
          MapAbsolute(record.LastX, record.LastY, TargetArea(record.Flags, monitors));
      XTestFakeMotionEvent(display, screen_, point.X, point.Y, CurrentTime);
    }
    for (const ButtonTransition& transition : kButtonTransitions) {
      if ((record.ButtonFlags & transition.Flag) == 0) continue;
      const unsigned button = transition.Button == PointerButton::Left ? kLeftButton : kRightButton;
      XTestFakeButtonEvent(display, button, transition.Pressed ? True : False, CurrentTime);
    }
    // A round trip: once Deliver returns, the server has moved and clicked.
    XSync(display, False);
  }

 private:
  // Read for every move, so that a changed monitor layout applies at once. Without RandR
  // monitors the whole screen is the one monitor.
  std::vector<Monitor> Monitors() const {
    Display* display = display_.get();
    std::vector<Monitor> monitors;
    if (hasMonitors_) {
      int count = 0;
      XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen_), True, &count);
      for (int i = 0; i < count; ++i) {
        monitors.push_back(
            {{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0});
      }
      if (info != nullptr) XRRFreeMonitors(info);
    }
    if (monitors.empty()) {
      monitors.push_back(
          {{0, 0, DisplayWidth(display, screen_), DisplayHeight(display, screen_)}, true});
    }
    return monitors;
  }

  DisplayHandle display_;
  int screen_;
  bool hasMonitors_;
};

}  // namespace

std::unique_ptr<PointerSink> OpenXTestSink(const std::string& displayName) {
  DisplayHandle display = OpenDisplay(displayName);
  const char* environment = std::getenv("DISPLAY");
  const std::string shown = !displayName.empty()     ? displayName
                            : environment != nullptr ? std::string(environment)
                                                     : std::string("$DISPLAY (not set)");
  if (!display) throw SinkError("X display " + shown + " does not answer");
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (XTestQueryExtension(display.get(), &eventBase, &errorBase, &major, &minor) == 0) {
    throw SinkError("X display " + shown + " has no XTEST extension");
  }
  return std::make_unique<XTestSink>(std::move(display));
}

bool XDisplayAnswers() {
  const char* environment = std::getenv("DISPLAY");
  if (environment == nullptr || *environment == '\0') return false;
  return OpenDisplay({}) != nullptr;
}

}  // namespace qvtouch::platform
