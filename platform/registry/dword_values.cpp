#include "platform/registry/dword_values.h"

#include <optional>
#include <vector>

#include "common/little_endian.h"
#include "platform/registry/api_call.h"
#include "platform/registry/hive_database.h"
#include "platform/registry/key_store.h"
#include "platform/registry/value_store.h"

namespace qvtouch::platform {

LSTATUS QueryDwordValues(HKEY key, std::string_view subKey,
                         std::span<const DwordValueQuery> queries) {
  const REGSAM required = subKey.empty() ? KEY_QUERY_VALUE : 0;
  return CallOnKey(key, required, [&](const OpenKey& parent) -> LSTATUS {
    const auto names = KeyPathOf(subKey);
    // Read all first, deliver after: a failure part way leaves every destination as it was.
    std::vector<std::optional<std::uint32_t>> found(queries.size());
    const bool keyFound = ReadHive(parent.KeyHive, [&](Connection& db) {
      RequireKey(db, parent.Id);
      const auto id = FindKey(db, parent.Id, names);
      if (!id) return false;
      for (std::size_t i = 0; i < queries.size(); ++i) {
        const auto value = FindValue(db, *id, queries[i].Name);
        if (value && value->Type == REG_DWORD) found[i] = LoadU32(value->Data, 0);  // 4 bytes
      }
      return true;
    });
    if (!keyFound) return ERROR_FILE_NOT_FOUND;
    for (std::size_t i = 0; i < queries.size(); ++i) {
      if (found[i]) *queries[i].Destination = *found[i];
    }
    return ERROR_SUCCESS;
  });
}

}  // namespace qvtouch::platform
