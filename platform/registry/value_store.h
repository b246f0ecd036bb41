// The values of a key, inside a transaction on its hive's database.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/sqlite_connection.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

struct StoredValue {
  std::string Name;  // as created
  DWORD Type;
  std::vector<std::uint8_t> Data;  // as RegQueryValueExA returns it
};

std::optional<StoredValue> FindValue(Connection& db, std::int64_t key, std::string_view name);
// The value at index in the order of creation.
std::optional<StoredValue> ValueAt(Connection& db, std::int64_t key, std::int64_t index);

// Creates the value, or replaces the type and data of the value of that name, which keeps its
// name's case and its place in the order. Throws StoreError(ERROR_INVALID_PARAMETER) for a name
// that is not StorableName.
void PutValue(Connection& db, std::int64_t key, std::string_view name, DWORD type,
              std::span<const std::uint8_t> data);
// Whether there was a value to delete.
bool RemoveValue(Connection& db, std::int64_t key, std::string_view name);

struct ValueCounts {
  DWORD Count;
  DWORD LongestName;  // in bytes, without a terminating zero
  DWORD LargestData;  // in bytes
};
ValueCounts CountValues(Connection& db, std::int64_t key);

}  // namespace qvtouch::platform
