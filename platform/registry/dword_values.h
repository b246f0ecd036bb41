// Reading many REG_DWORD values of one key at once, as the driver host loads the driver's
// settings: one read transaction, so that a program saving settings at the same moment is seen
// either wholly or not at all.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

struct DwordValueQuery {
  std::string_view Name;
  std::uint32_t* Destination;  // receives the value when the key holds it as a REG_DWORD
};

// Reads the named values of the key at subKey under key (which needs KEY_QUERY_VALUE when subKey
// is empty). A value that is absent, or is not a REG_DWORD, leaves its destination untouched.
// ERROR_SUCCESS when the key exists; ERROR_FILE_NOT_FOUND when it does not; any other result is a
// failure of the store. Only ERROR_SUCCESS writes any destination.
LSTATUS QueryDwordValues(HKEY key, std::string_view subKey,
                         std::span<const DwordValueQuery> queries);

}  // namespace qvtouch::platform
