// Handing names and data out to a caller's buffers, with the platform's sizes and results.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// As RegQueryValueExA: *size receives the data's size. Without a buffer only the size is asked
// for; a buffer smaller than the data gets ERROR_MORE_DATA and is left untouched. A buffer
// without a size is ERROR_INVALID_PARAMETER.
LSTATUS CopyData(std::span<const std::uint8_t> data, LPBYTE buffer, LPDWORD size);

// As RegEnumKeyExA: *length is the buffer's size in characters, room for the terminating zero
// included, and receives the name's length without it. ERROR_MORE_DATA when the name does not fit.
LSTATUS CopyName(std::string_view name, LPSTR buffer, LPDWORD length);

}  // namespace qvtouch::platform
