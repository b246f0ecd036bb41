// Pointer emulation: turns each mapped report into mouse input records by the mouse mode, with
// the jitter window and the right click on a held touch.
#include "common/wrap32.h"
#include "driver/driver.h"

namespace qvtouch::driver {

// Inlined into each of its callers: it runs for nearly every report.
[[gnu::always_inline]] inline void TouchDriver::JitterStep() {
  DriverContext& c = context_;
  const std::int32_t dx = WrapSub(anchorInput_.LastX, mouseInput_.LastX);
  const std::int32_t dy = WrapSub(anchorInput_.LastY, mouseInput_.LastY);
  const bool inside = -c.JitterX < dx && dx < c.JitterX && -c.JitterY < dy && dy < c.JitterY;
  if (!inside) {
    c.HoldCount = 0;
    c.RightClickDone = 0;
    SendInput(0);
    anchorInput_ = mouseInput_;
    return;
  }
  ++c.HoldCount;
  if (c.RightClickDone == 0 && c.HoldCount >= c.RBNDelay) {
    SendInput(MOUSE_RIGHT_BUTTON_DOWN);
    SendInput(MOUSE_RIGHT_BUTTON_UP);
    c.HoldCount = 0;
    c.RightClickDone = 1;
  }
}

void TouchDriver::EmitPointer(TouchStatus status) {
  const DriverContext& c = context_;
  const bool right = c.ButtonMode == kRightButton;
  const std::uint16_t down = right ? MOUSE_RIGHT_BUTTON_DOWN : MOUSE_LEFT_BUTTON_DOWN;
  const std::uint16_t up = right ? MOUSE_RIGHT_BUTTON_UP : MOUSE_LEFT_BUTTON_UP;
  constexpr std::uint16_t move = 0;

  switch (c.MouseMode) {
    case kClickOnPress:
      if (status == TouchStatus::Press) {
        SendInput(down);
        SendInput(up);
      } else {
        JitterStep();
      }
      return;
    case kClickOnRelease:
      if (status == TouchStatus::Release) {
        SendInput(down);
        SendInput(up);
      } else {
        JitterStep();
      }
      return;
    case kDragging:
    case kDragAndDoubleClick:
      if (status == TouchStatus::Press) {
        SendInput(move);
        SendInput(down);
        anchorInput_ = mouseInput_;
      } else if (status == TouchStatus::Hold) {
        JitterStep();
      } else {
        // The button goes up where the pointer was last moved to, not at the lift-off jitter.
        mouseInput_ = anchorInput_;
        SendInput(up);
        SendInput(move);
        if (c.MouseMode == kDragAndDoubleClick) {
          SendInput(down);
          SendInput(up);
          SendInput(move);
        }
      }
      return;
    default:
      return;  // an unknown mode sends nothing
  }
}

void TouchDriver::SendInput(std::uint16_t buttonFlags) {
  const CONNECT_DATA& connection = context_.ClassConnect;
  mouseInput_.ButtonFlags = buttonFlags;
  std::uint32_t consumed = 0;  // the class driver's count is not examined
  connection.ClassService(connection.ClassDeviceObject, &mouseInput_, &mouseInput_ + 1, &consumed);
}

}  // namespace qvtouch::driver
