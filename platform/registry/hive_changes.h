// Changes to a hive by key path, applied in one transaction: all of them, or none. An import
// applies a file this way, and a process that may not write the machine hive itself sends its
// changes, in this form, to the registry service (registry_service.h), which applies them for it
// if they are within its rights.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/sqlite_connection.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

struct HiveChange {
  enum class Action : std::uint8_t { CreateKey, DeleteTree, SetValue, DeleteValue };
  Action What = Action::CreateKey;
  std::string Key;    // backslash-separated, from the hive's root
  std::string Value;  // SetValue and DeleteValue: the value's name
  DWORD Type = REG_SZ;             // SetValue
  std::vector<std::uint8_t> Data;  // SetValue: as RegSetValueExA takes it
  // Deleting a key or value that is not there succeeds (an import's wish already holds);
  // otherwise it fails with ERROR_FILE_NOT_FOUND, as the registry calls do.
  bool AbsentIsDone = false;
  // SetValue and DeleteValue: the key a handle holds, which must still be the key at that path
  // (else ERROR_KEY_DELETED), as a handle to a deleted key never reaches a newer one.
  std::optional<std::int64_t> KeyId;
  bool operator==(const HiveChange&) const = default;

  static HiveChange CreateKey(std::string key) { return Made(Action::CreateKey, std::move(key)); }
  static HiveChange DeleteTree(std::string key) { return Made(Action::DeleteTree, std::move(key)); }
  static HiveChange SetValue(std::string key, std::string value, DWORD type,
                             std::vector<std::uint8_t> data) {
    HiveChange change = Made(Action::SetValue, std::move(key), std::move(value));
    change.Type = type;
    change.Data = std::move(data);
    return change;
  }
  static HiveChange DeleteValue(std::string key, std::string value) {
    return Made(Action::DeleteValue, std::move(key), std::move(value));
  }

 private:
  static HiveChange Made(Action what, std::string key, std::string value = {}) {
    HiveChange change;
    change.What = what;
    change.Key = std::move(key);
    change.Value = std::move(value);
    return change;
  }
};

// The outcome of a set of changes: ERROR_SUCCESS, or why nothing was changed: the change at
// Refused was refused, or, without Refused, the store could not be changed at all.
struct ChangeResult {
  LSTATUS Status = ERROR_SUCCESS;
  std::optional<std::size_t> Refused;
  bool operator==(const ChangeResult&) const = default;
};

// Whether a change may be made to the hive that db holds, asked inside the transaction just
// before it is made, so that it sees what the earlier changes of the same set did.
using ChangePermit = std::function<bool(Connection& db, const HiveChange& change)>;

// Applies the changes in order inside the caller's write transaction on db; a change that the
// permit, when given, does not allow is refused with ERROR_ACCESS_DENIED. Throws StoreError for a
// failure of the store itself; a refused change is returned, and the caller rolls back.
ChangeResult ApplyChanges(Connection& db, std::span<const HiveChange> changes,
                          const ChangePermit& permit = {});

// Applies the changes in one transaction of the hive, which this process may write.
ChangeResult ChangeHive(Hive hive, std::span<const HiveChange> changes,
                        const ChangePermit& permit = {});

// Applies the changes in one transaction of the hive: itself when this process may write the
// hive; otherwise the machine hive's through the registry service, and the user hive's not at all
// (ERROR_ACCESS_DENIED).
ChangeResult CommitChanges(Hive hive, std::span<const HiveChange> changes);

// Applies changes to both hives as one: the user hive's transaction commits only once the machine
// hive's changes are in, so that a refusal anywhere leaves both hives as they were. Refused counts
// the machine hive's changes first, then the user hive's. (A process killed in the moment between
// the two commits leaves the machine hive's changes alone applied.)
ChangeResult ChangeHives(std::span<const HiveChange> machine, std::span<const HiveChange> user);

}  // namespace qvtouch::platform
