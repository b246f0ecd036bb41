// RegDeleteKeyA, RegDeleteTreeA, RegEnumKeyExA and RegQueryInfoKeyA.
#include "platform/registry/api_call.h"
#include "platform/registry/caller_buffers.h"
#include "platform/registry/hive_database.h"
#include "platform/registry/key_store.h"
#include "platform/registry/value_store.h"

using namespace qvtouch::platform;  // the calls themselves are global, as on the platform

namespace {

// The store keeps no classes: one asked for is empty.
void ReturnNoClass(LPSTR lpClass, LPDWORD lpcchClass) {
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = '\0';
  if (lpcchClass != nullptr) *lpcchClass = 0;
}

// The store keeps no write times.
void ReturnNoTime(PFILETIME lpftLastWriteTime) {
  if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
}

void Return(LPDWORD destination, DWORD value) {
  if (destination != nullptr) *destination = value;
}

// Deletes the key at path under parent; with subkeys only when the whole tree goes.
LSTATUS DeleteKeyAt(const OpenKey& parent, LPCSTR path, bool withSubkeys) {
  const auto names = KeyPathOf(NameOf(path));
  return WriteHive(parent.KeyHive, [&](Connection& db) -> LSTATUS {
    RequireKey(db, parent.Id);
    const auto key = FindKey(db, parent.Id, names);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (*key == kRootKeyId || (!withSubkeys && HasSubkeys(db, *key))) return ERROR_ACCESS_DENIED;
    DeleteKey(db, *key);
    return ERROR_SUCCESS;
  });
}

}  // namespace

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  return CallOnKey(hKey, 0,
                   [&](const OpenKey& parent) { return DeleteKeyAt(parent, lpSubKey, false); });
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
  if (lpSubKey != nullptr) {
    return CallOnKey(hKey, 0,
                     [&](const OpenKey& parent) { return DeleteKeyAt(parent, lpSubKey, true); });
  }
  return CallOnKey(hKey, KEY_SET_VALUE, [&](const OpenKey& key) -> LSTATUS {
    WriteHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      DeleteKeyContents(db, key.Id);
      return true;
    });
    return ERROR_SUCCESS;
  });
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                      LPDWORD /*lpReserved*/, LPSTR lpClass, LPDWORD lpcchClass,
                      PFILETIME lpftLastWriteTime) {
  return CallOnKey(hKey, KEY_ENUMERATE_SUB_KEYS, [&](const OpenKey& key) -> LSTATUS {
    const auto name = ReadHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      return SubkeyAt(db, key.Id, dwIndex);
    });
    if (!name) return ERROR_NO_MORE_ITEMS;
    const LSTATUS status = CopyName(*name, lpName, lpcchName);
    if (status != ERROR_SUCCESS) return status;
    ReturnNoClass(lpClass, lpcchClass);
    ReturnNoTime(lpftLastWriteTime);
    return ERROR_SUCCESS;
  });
}

LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD /*lpReserved*/,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                         LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  return CallOnKey(hKey, KEY_QUERY_VALUE, [&](const OpenKey& key) -> LSTATUS {
    const auto [subkeys, values] = ReadHive(key.KeyHive, [&](Connection& db) {
      RequireKey(db, key.Id);
      return std::pair(CountSubkeys(db, key.Id), CountValues(db, key.Id));
    });
    ReturnNoClass(lpClass, lpcchClass);
    Return(lpcSubKeys, subkeys.Count);
    Return(lpcbMaxSubKeyLen, subkeys.LongestName);
    Return(lpcbMaxClassLen, 0);
    Return(lpcValues, values.Count);
    Return(lpcbMaxValueNameLen, values.LongestName);
    Return(lpcbMaxValueLen, values.LargestData);
    Return(lpcbSecurityDescriptor, 0);
    ReturnNoTime(lpftLastWriteTime);
    return ERROR_SUCCESS;
  });
}
