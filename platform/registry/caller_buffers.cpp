#include "platform/registry/caller_buffers.h"

#include <algorithm>

namespace qvtouch::platform {

LSTATUS CopyData(std::span<const std::uint8_t> data, LPBYTE buffer, LPDWORD size) {
  if (size == nullptr) return buffer == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  const DWORD room = *size;
  *size = static_cast<DWORD>(data.size());
  if (buffer == nullptr) return ERROR_SUCCESS;
  if (room < data.size()) return ERROR_MORE_DATA;
  std::ranges::copy(data, buffer);
  return ERROR_SUCCESS;
}

LSTATUS CopyName(std::string_view name, LPSTR buffer, LPDWORD length) {
  if (buffer == nullptr || length == nullptr) return ERROR_INVALID_PARAMETER;
  if (*length <= name.size()) return ERROR_MORE_DATA;
  std::ranges::copy(name, buffer);
  buffer[name.size()] = '\0';
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace qvtouch::platform
