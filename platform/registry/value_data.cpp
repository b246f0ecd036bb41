#include "platform/registry/value_data.h"

#include <algorithm>

namespace qvtouch::platform {

std::optional<std::vector<std::uint8_t>> StoredData(DWORD type, std::span<const BYTE> data) {
  switch (type) {
    case REG_SZ: {
      std::vector<std::uint8_t> text(data.begin(), std::ranges::find(data, BYTE{0}));
      text.push_back(0);
      return text;
    }
    case REG_DWORD:
      if (data.size() != sizeof(DWORD)) return std::nullopt;
      return std::vector<std::uint8_t>(data.begin(), data.end());
    case REG_BINARY:
      return std::vector<std::uint8_t>(data.begin(), data.end());
    default:
      return std::nullopt;
  }
}

}  // namespace qvtouch::platform
