// What the driver sends for a touch session: the records of the driver core on the fake kernel,
// the reference that tests against a real kernel compare the pointer with.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/mouse_input.h"

namespace qvtouch::testing {

// The records the driver sends, on the fake kernel with these settings (REG_DWORD values under
// its Parameters key), for a session in the controller simulator's script language.
std::vector<MOUSE_INPUT_DATA> DriverRecords(const std::map<std::string, std::uint32_t>& settings,
                                            std::string_view script);

}  // namespace qvtouch::testing
