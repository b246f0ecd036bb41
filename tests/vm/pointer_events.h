// What the driver sends for a touch session, and what a program reading the uinput pointer then
// gets from the kernel.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/mouse_input.h"
#include "tests/vm/event_node.h"

namespace qvtouch::testing {

// The records the driver sends, on the fake kernel with these settings (REG_DWORD values under
// its Parameters key), for a session in the controller simulator's script language.
std::vector<MOUSE_INPUT_DATA> DriverRecords(const std::map<std::string, std::uint32_t>& settings,
                                            std::string_view script);

// The events a reader of the uinput pointer gets for these records, as the device is described:
// each record's move (its position clamped to 0..65536) in a frame of its own, then a frame with
// its button transitions. The kernel passes on only changes: a position or a button state the
// device already has sends nothing, and a frame left empty sends no SYN_REPORT.
std::vector<InputEvent> PointerEvents(std::span<const MOUSE_INPUT_DATA> records);

}  // namespace qvtouch::testing
