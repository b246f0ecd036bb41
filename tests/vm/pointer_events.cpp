#include "tests/vm/pointer_events.h"

#include <algorithm>
#include <map>

#include "platform/input/pointer_sink.h"

namespace qvtouch::testing {
namespace {

// The device's state as the kernel keeps it, and the events of the frame being made.
class KernelView {
 public:
  void Set(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    std::int32_t& now = state_[{type, code}];
    if (now == value) return;
    now = value;
    frame_.push_back({type, code, value});
  }
  void EndFrame(std::vector<InputEvent>& events) {
    if (frame_.empty()) return;
    events.insert(events.end(), frame_.begin(), frame_.end());
    events.push_back({EV_SYN, SYN_REPORT, 0});
    frame_.clear();
  }

 private:
  std::map<std::pair<std::uint16_t, std::uint16_t>, std::int32_t> state_;
  std::vector<InputEvent> frame_;
};

}  // namespace

std::vector<InputEvent> PointerEvents(std::span<const MOUSE_INPUT_DATA> records) {
  KernelView device;
  std::vector<InputEvent> events;
  for (const MOUSE_INPUT_DATA& record : records) {
    if ((record.Flags & MOUSE_MOVE_ABSOLUTE) != 0) {
      device.Set(EV_ABS, ABS_X, std::clamp(record.LastX, 0, kAbsoluteRange));
      device.Set(EV_ABS, ABS_Y, std::clamp(record.LastY, 0, kAbsoluteRange));
      device.EndFrame(events);
    }
    for (const platform::ButtonTransition& transition : platform::kButtonTransitions) {
      if ((record.ButtonFlags & transition.Flag) == 0) continue;
      device.Set(EV_KEY, transition.Button == platform::PointerButton::Left ? BTN_LEFT : BTN_RIGHT,
                 transition.Pressed ? 1 : 0);
    }
    device.EndFrame(events);
  }
  return events;
}

}  // namespace qvtouch::testing
