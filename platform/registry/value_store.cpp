#include "platform/registry/value_store.h"

#include "platform/registry/key_path.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

std::optional<StoredValue> RowValue(Statement& statement) {
  if (!statement.Step()) return std::nullopt;
  return StoredValue{statement.Text(0), static_cast<DWORD>(statement.Integer(1)),
                     statement.Blob(2)};
}

}  // namespace

std::optional<StoredValue> FindValue(Connection& db, std::int64_t key, std::string_view name) {
  Statement find(db, "SELECT name, type, data FROM reg_value WHERE key_id = ?1 AND name = ?2");
  find.Bind(1, key).Bind(2, name);
  return RowValue(find);
}

std::optional<StoredValue> ValueAt(Connection& db, std::int64_t key, std::int64_t index) {
  Statement at(db,
               "SELECT name, type, data FROM reg_value WHERE key_id = ?1 "
               "ORDER BY rowid LIMIT 1 OFFSET ?2");
  at.Bind(1, key).Bind(2, index);
  return RowValue(at);
}

void PutValue(Connection& db, std::int64_t key, std::string_view name, DWORD type,
              std::span<const std::uint8_t> data) {
  if (!StorableName(name)) throw StoreError(ERROR_INVALID_PARAMETER);
  Statement put(
      db,
      "INSERT INTO reg_value (key_id, name, type, data) VALUES (?1, ?2, ?3, ?4) "
      "ON CONFLICT (key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data");
  put.Bind(1, key).Bind(2, name).Bind(3, std::int64_t{type}).Bind(4, data).Step();
}

bool RemoveValue(Connection& db, std::int64_t key, std::string_view name) {
  Statement(db, "DELETE FROM reg_value WHERE key_id = ?1 AND name = ?2")
      .Bind(1, key)
      .Bind(2, name)
      .Step();
  return db.Changes() > 0;
}

ValueCounts CountValues(Connection& db, std::int64_t key) {
  Statement count(db,
                  "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0), "
                  "ifnull(max(length(data)), 0) FROM reg_value WHERE key_id = ?1");
  count.Bind(1, key).Step();
  return {static_cast<DWORD>(count.Integer(0)), static_cast<DWORD>(count.Integer(1)),
          static_cast<DWORD>(count.Integer(2))};
}

}  // namespace qvtouch::platform
