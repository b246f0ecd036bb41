// The form in which the store keeps the data of a value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// The data to keep for a value given to RegSetValueExA: a REG_SZ value ends at its first zero
// byte and is kept with exactly one terminating zero, whether or not the caller counted it; a
// REG_DWORD value must be exactly 4 bytes; REG_BINARY is kept as given. nullopt for any other
// type, or a REG_DWORD of another size.
std::optional<std::vector<std::uint8_t>> StoredData(DWORD type, std::span<const BYTE> data);

}  // namespace qvtouch::platform
