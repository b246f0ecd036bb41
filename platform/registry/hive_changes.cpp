#include "platform/registry/hive_changes.h"

#include <optional>

#include "platform/registry/hive_database.h"
#include "platform/registry/key_path.h"
#include "platform/registry/key_store.h"
#include "platform/registry/registry_client.h"
#include "platform/registry/schema.h"
#include "platform/registry/store_error.h"
#include "platform/registry/value_data.h"
#include "platform/registry/value_store.h"

namespace qvtouch::platform {
namespace {

// The key a change names, if it exists; throws StoreError for a malformed path, and for a path
// that no longer leads to the key the change's handle holds.
std::optional<std::int64_t> ExistingKey(Connection& db, const HiveChange& change) {
  const auto names = SplitKeyPath(change.Key);
  if (!names) throw StoreError(ERROR_INVALID_PARAMETER);
  const auto key = FindKey(db, kRootKeyId, *names);
  if (change.KeyId && key != change.KeyId) throw StoreError(ERROR_KEY_DELETED);
  return key;
}

LSTATUS Apply(Connection& db, const HiveChange& change) {
  using Action = HiveChange::Action;
  const auto absent = change.AbsentIsDone ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  switch (change.What) {
    case Action::CreateKey: {
      const auto names = SplitKeyPath(change.Key);
      if (!names) return ERROR_INVALID_PARAMETER;
      CreateKey(db, kRootKeyId, *names);
      return ERROR_SUCCESS;
    }
    case Action::DeleteTree: {
      const auto key = ExistingKey(db, change);
      if (!key) return absent;
      if (*key == kRootKeyId) return ERROR_ACCESS_DENIED;
      DeleteKey(db, *key);
      return ERROR_SUCCESS;
    }
    case Action::SetValue: {
      if (change.Value.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
      const auto data = StoredData(change.Type, change.Data);
      if (!data) return ERROR_INVALID_PARAMETER;
      const auto key = ExistingKey(db, change);
      if (!key) return ERROR_FILE_NOT_FOUND;
      PutValue(db, *key, change.Value, change.Type, *data);
      return ERROR_SUCCESS;
    }
    case Action::DeleteValue: {
      const auto key = ExistingKey(db, change);
      if (!key) return absent;
      return RemoveValue(db, *key, change.Value) ? ERROR_SUCCESS : absent;
    }
  }
  return ERROR_INVALID_PARAMETER;
}

// Runs apply(Connection&) -> ChangeResult in a write transaction of the hive, which commits only
// when it succeeds.
template <class Apply>
ChangeResult InTransaction(Hive hive, Apply&& apply) {
  // A refused change ends the body by throwing, which rolls the whole transaction back.
  ChangeResult result;
  try {
    WriteHive(hive, [&](Connection& db) {
      result = apply(db);
      if (result.Status != ERROR_SUCCESS) throw StoreError(result.Status);
      return true;
    });
  } catch (const StoreError& error) {
    if (result.Status == ERROR_SUCCESS) return {error.Status(), std::nullopt};
  }
  return result;
}

}  // namespace

ChangeResult ApplyChanges(Connection& db, std::span<const HiveChange> changes,
                          const ChangePermit& permit) {
  for (std::size_t index = 0; index < changes.size(); ++index) {
    LSTATUS status = ERROR_SUCCESS;
    try {
      status =
          permit && !permit(db, changes[index]) ? ERROR_ACCESS_DENIED : Apply(db, changes[index]);
    } catch (const StoreError& error) {
      // A refusal of this change (a key too deep, a deleted key), unless the store itself failed.
      if (error.Status() != ERROR_INVALID_PARAMETER && error.Status() != ERROR_KEY_DELETED) throw;
      status = error.Status();
    }
    if (status != ERROR_SUCCESS) return {status, index};
  }
  return {};
}

ChangeResult ChangeHive(Hive hive, std::span<const HiveChange> changes,
                        const ChangePermit& permit) {
  return InTransaction(hive, [&](Connection& db) { return ApplyChanges(db, changes, permit); });
}

ChangeResult CommitChanges(Hive hive, std::span<const HiveChange> changes) {
  if (MayWriteHive(hive)) return ChangeHive(hive, changes);
  if (hive == Hive::LocalMachine) return SendToRegistryService(changes);
  return {ERROR_ACCESS_DENIED, std::nullopt};
}

ChangeResult ChangeHives(std::span<const HiveChange> machine, std::span<const HiveChange> user) {
  if (user.empty()) return CommitChanges(Hive::LocalMachine, machine);
  if (!MayWriteHive(Hive::CurrentUser)) return {ERROR_ACCESS_DENIED, std::nullopt};
  return InTransaction(Hive::CurrentUser, [&](Connection& db) {
    ChangeResult result = ApplyChanges(db, user);
    if (result.Refused) *result.Refused += machine.size();
    if (result.Status == ERROR_SUCCESS && !machine.empty()) {
      result = CommitChanges(Hive::LocalMachine, machine);
    }
    return result;
  });
}

}  // namespace qvtouch::platform
