// What a program reading the uinput pointer gets from the kernel for the records the driver sends
// (DriverRecords).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/mouse_input.h"
#include "tests/support/driver_records.h"
#include "tests/vm/event_node.h"

namespace qvtouch::testing {

// The events a reader of the uinput pointer gets for these records, as the device is described:
// each record's move (its position clamped to 0..65536) in a frame of its own, then a frame with
// its button transitions. The kernel passes on only changes: a position or a button state the
// device already has sends nothing, and a frame left empty sends no SYN_REPORT.
std::vector<InputEvent> PointerEvents(std::span<const MOUSE_INPUT_DATA> records);

}  // namespace qvtouch::testing
