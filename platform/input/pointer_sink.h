// Where the mouse class stand-in delivers the pointer port's records, and how every sink reads
// their button transitions.
#pragma once

#include <array>
#include <cstdint>

#include "common/mouse_input.h"

namespace qvtouch::platform {

class PointerSink {
 public:
  virtual ~PointerSink() = default;
  // Called on the class's delivery thread, one record at a time in the order they were sent.
  virtual void Deliver(const MOUSE_INPUT_DATA& record) = 0;
};

enum class PointerButton : std::uint8_t { Left, Right };

struct ButtonTransition {
  std::uint16_t Flag;  // the ButtonFlags bit
  PointerButton Button;
  bool Pressed;
};

// The button transitions a record can carry, in the order a sink performs them (so a record with
// both the down and the up bit of a button is a click).
inline constexpr std::array<ButtonTransition, 4> kButtonTransitions{{
    {MOUSE_LEFT_BUTTON_DOWN, PointerButton::Left, true},
    {MOUSE_LEFT_BUTTON_UP, PointerButton::Left, false},
    {MOUSE_RIGHT_BUTTON_DOWN, PointerButton::Right, true},
    {MOUSE_RIGHT_BUTTON_UP, PointerButton::Right, false},
}};

}  // namespace qvtouch::platform
