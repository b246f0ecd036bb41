// The keys of a hive, inside a transaction on its database.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/registry/sqlite_connection.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// Throws StoreError(ERROR_KEY_DELETED) when the key no longer exists.
void RequireKey(Connection& db, std::int64_t key);

// The key reached from `from` through the names, if every one exists.
std::optional<std::int64_t> FindKey(Connection& db, std::int64_t from,
                                    std::span<const std::string_view> names);

struct CreatedKey {
  std::int64_t Id;
  bool Created;  // false when the key existed already
};
// The key reached from `from` through the names, creating those that are missing. Throws
// StoreError(ERROR_INVALID_PARAMETER) when the key would lie deeper than kMaxKeyDepth, or when a
// name to be made is not StorableName.
CreatedKey CreateKey(Connection& db, std::int64_t from, std::span<const std::string_view> names);

// The name of the subkey at index in name order.
std::optional<std::string> SubkeyAt(Connection& db, std::int64_t key, std::int64_t index);
bool HasSubkeys(Connection& db, std::int64_t key);

// Deletes a key with its values and everything under it, from the deepest keys up, so that no
// deletion reaches below the key it deletes, however deep the tree.
void DeleteKey(Connection& db, std::int64_t key);
// Deletes a key's values and subkeys, keeping the key.
void DeleteKeyContents(Connection& db, std::int64_t key);

struct SubkeyCounts {
  DWORD Count;
  DWORD LongestName;  // in bytes, without a terminating zero
};
SubkeyCounts CountSubkeys(Connection& db, std::int64_t key);

}  // namespace qvtouch::platform
