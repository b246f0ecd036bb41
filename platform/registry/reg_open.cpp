// RegOpenKeyExA, RegCreateKeyExA and RegCloseKey.
#include <optional>
#include <span>
#include <string>

#include "platform/posix/operator_group.h"
#include "platform/registry/api_call.h"
#include "platform/registry/hive_changes.h"
#include "platform/registry/hive_database.h"
#include "platform/registry/key_store.h"
#include "platform/registry/store_rights.h"

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

// The path of a key below an open key.
std::string PathBelow(const OpenKey& parent, LPCSTR subKey) {
  const std::string_view below = NameOf(subKey);
  if (parent.Path.empty() || below.empty()) return parent.Path + std::string(below);
  return parent.Path + '\\' + std::string(below);
}

// Whether this process may change the key with those rights: itself, or through the registry
// service within an operator's rights.
bool MayChange(Hive hive, const std::string& path, REGSAM rights) {
  return MayWriteHive(hive) ||
         (hive == Hive::LocalMachine && IsOperatorProcess() && OperatorMayOpen(path, rights));
}

// A handle to an existing key, if this process may have the rights asked for.
LSTATUS OpenHandle(Hive hive, std::int64_t key, std::string path, REGSAM desired, PHKEY result) {
  const REGSAM granted = desired & KEY_ALL_ACCESS;
  if ((granted & kChangingRights) != 0 && !MayChange(hive, path, granted)) {
    return ERROR_ACCESS_DENIED;
  }
  *result = AddHandle({hive, key, granted, std::move(path)});
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
    return OpenHandle(parent.KeyHive, *key, PathBelow(parent, lpSubKey), samDesired, phkResult);
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
    const std::string path = PathBelow(parent, lpSubKey);
    CreatedKey key{0, false};
    if (const auto existing = FindKeyUnder(parent, lpSubKey)) {
      key.Id = *existing;
    } else if ((parent.Granted & KEY_CREATE_SUB_KEY) == 0) {
      return ERROR_ACCESS_DENIED;
    } else if (MayWriteHive(parent.KeyHive)) {
      const auto names = KeyPathOf(NameOf(lpSubKey));
      key = WriteHive(parent.KeyHive, [&](Connection& db) {
        RequireKey(db, parent.Id);
        return CreateKey(db, parent.Id, names);  // another process may have created it meanwhile
      });
    } else {
      // Made for this process by the registry service, if that is within its rights.
      const HiveChange create = HiveChange::CreateKey(path);
      const ChangeResult created = CommitChanges(parent.KeyHive, std::span(&create, 1));
      if (created.Status != ERROR_SUCCESS) return created.Status;
      const auto made = FindKeyUnder(parent, lpSubKey);
      if (!made) return ERROR_KEY_DELETED;  // deleted again meanwhile
      key = {*made, true};
    }
    const LSTATUS status = OpenHandle(parent.KeyHive, key.Id, path, samDesired, phkResult);
    if (status == ERROR_SUCCESS && lpdwDisposition != nullptr) {
      *lpdwDisposition = key.Created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return status;
  });
}

LSTATUS RegCloseKey(HKEY hKey) {
  return RemoveHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
