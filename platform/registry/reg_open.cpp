// RegOpenKeyExA, RegCreateKeyExA and RegCloseKey.
#include <optional>

#include "platform/registry/api_call.h"
#include "platform/registry/hive_database.h"
#include "platform/registry/key_store.h"

using namespace qvtouch::platform;  // the calls themselves are global, as on the platform

namespace {

// Rights that change the store: everything in KEY_ALL_ACCESS that KEY_READ does not hold.
constexpr REGSAM kChangingRights = KEY_ALL_ACCESS & ~KEY_READ;

std::optional<std::int64_t> FindKeyUnder(const OpenKey& parent, LPCSTR path) {
  const auto names = KeyPathOf(NameOf(path));
  return ReadHive(parent.KeyHive, [&](Connection& db) {
    RequireKey(db, parent.Id);
    return FindKey(db, parent.Id, names);
  });
}

// A handle to an existing key, if the hive allows the rights asked for.
LSTATUS OpenHandle(Hive hive, std::int64_t key, REGSAM desired, PHKEY result) {
  const REGSAM granted = desired & KEY_ALL_ACCESS;
  if ((granted & kChangingRights) != 0 && !MayWriteHive(hive)) return ERROR_ACCESS_DENIED;
  *result = AddHandle({hive, key, granted});
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                      PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return CallOnKey(hKey, 0, [&](const OpenKey& parent) -> LSTATUS {
    const auto key = FindKeyUnder(parent, lpSubKey);
    if (!key) return ERROR_FILE_NOT_FOUND;
    return OpenHandle(parent.KeyHive, *key, samDesired, phkResult);
  });
}

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                        DWORD dwOptions, REGSAM samDesired,
                        LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
  if (phkResult == nullptr || lpSubKey == nullptr || dwOptions != REG_OPTION_NON_VOLATILE) {
    return ERROR_INVALID_PARAMETER;
  }
  *phkResult = nullptr;
  return CallOnKey(hKey, 0, [&](const OpenKey& parent) -> LSTATUS {
    // An existing key opens as with RegOpenKeyExA, so that a process that may only read the hive
    // can still "create" a key that is there.
    CreatedKey key{0, false};
    if (const auto existing = FindKeyUnder(parent, lpSubKey)) {
      key.Id = *existing;
    } else {
      if ((parent.Granted & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
      const auto names = KeyPathOf(NameOf(lpSubKey));
      key = WriteHive(parent.KeyHive, [&](Connection& db) {
        RequireKey(db, parent.Id);
        return CreateKey(db, parent.Id, names);  // another process may have created it meanwhile
      });
    }
    const LSTATUS status = OpenHandle(parent.KeyHive, key.Id, samDesired, phkResult);
    if (status == ERROR_SUCCESS && lpdwDisposition != nullptr) {
      *lpdwDisposition = key.Created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return status;
  });
}

LSTATUS RegCloseKey(HKEY hKey) {
  return RemoveHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
