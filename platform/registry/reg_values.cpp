// RegQueryValueExA, RegSetValueExA, RegDeleteValueA and RegEnumValueA.
#include <optional>
#include <span>

#include "platform/registry/api_call.h"
#include "platform/registry/caller_buffers.h"
#include "platform/registry/hive_changes.h"
#include "platform/registry/hive_database.h"
#include "platform/registry/key_path.h"
#include "platform/registry/key_store.h"
#include "platform/registry/value_data.h"
#include "platform/registry/value_store.h"

using namespace qvtouch::platform;  // the calls themselves are global, as on the platform

namespace {

// A change to the key of a handle, made by the registry service for a process that may not write
// the hive itself (its handle was opened within an operator's rights).
LSTATUS ChangeThroughService(const OpenKey& key, HiveChange change) {
  change.KeyId = key.Id;
  return CommitChanges(key.KeyHive, std::span(&change, 1)).Status;
}

}  // namespace

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD /*lpReserved*/, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
  if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
  return CallOnKey(hKey, KEY_QUERY_VALUE, [&](const OpenKey& key) -> LSTATUS {
    const auto value = ReadHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      return FindValue(db, key.Id, NameOf(lpValueName));
    });
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (lpType != nullptr) *lpType = value->Type;
    return CopyData(value->Data, lpData, lpcbData);
  });
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                       const BYTE* lpData, DWORD cbData) {
  if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
  const std::string_view name = NameOf(lpValueName);
  if (name.size() > kMaxValueNameLength || !StorableName(name)) return ERROR_INVALID_PARAMETER;
  return CallOnKey(hKey, KEY_SET_VALUE, [&](const OpenKey& key) -> LSTATUS {
    const auto data = StoredData(dwType, std::span(lpData, lpData == nullptr ? 0 : cbData));
    if (!data) return ERROR_INVALID_PARAMETER;
    if (!MayWriteHive(key.KeyHive)) {
      return ChangeThroughService(key,
                                  HiveChange::SetValue(key.Path, std::string(name), dwType, *data));
    }
    WriteHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      PutValue(db, key.Id, name, dwType, *data);
      return true;
    });
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return CallOnKey(hKey, KEY_SET_VALUE, [&](const OpenKey& key) -> LSTATUS {
    if (!MayWriteHive(key.KeyHive)) {
      return ChangeThroughService(
          key, HiveChange::DeleteValue(key.Path, std::string(NameOf(lpValueName))));
    }
    const bool removed = WriteHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      return RemoveValue(db, key.Id, NameOf(lpValueName));
    });
    return removed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD /*lpReserved*/, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return CallOnKey(hKey, KEY_QUERY_VALUE, [&](const OpenKey& key) -> LSTATUS {
    const auto value = ReadHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      return ValueAt(db, key.Id, dwIndex);
    });
    if (!value) return ERROR_NO_MORE_ITEMS;
    const LSTATUS named = CopyName(value->Name, lpValueName, lpcchValueName);
    if (named != ERROR_SUCCESS) return named;
    if (lpType != nullptr) *lpType = value->Type;
    return CopyData(value->Data, lpData, lpcbData);
  });
}
