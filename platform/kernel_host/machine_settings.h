// What the driver host reads from the settings store: the driver's settings, by the kernel's
// absolute key path, and its own REG_SZ values under HKEY_LOCAL_MACHINE.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "driver/kernel.h"

namespace qvtouch::platform {

// Reads REG_DWORD values of a key given as "\Registry\Machine\<key>". A missing key or value is
// not a failure; a store that cannot be read gives STATUS_REGISTRY_CORRUPT or
// STATUS_REGISTRY_IO_FAILED, and a key outside HKEY_LOCAL_MACHINE STATUS_OBJECT_NAME_NOT_FOUND.
NtStatus QueryMachineDwords(std::string_view keyPath,
                            std::span<const driver::RegistryDwordQuery> entries);

// A REG_SZ value under HKEY_LOCAL_MACHINE; nullopt when the key or the value is absent or the
// value is no string.
std::optional<std::string> ReadMachineString(std::string_view key, std::string_view valueName);

}  // namespace qvtouch::platform
