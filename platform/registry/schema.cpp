#include "platform/registry/schema.h"

#include <string>

#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

// In the database header, so that no other program's database is taken for a hive.
constexpr std::int64_t kApplicationId = 0x51565247;  // "QVRG"
constexpr std::int64_t kSchemaVersion = 1;

// Types 1, 3 and 4 are REG_SZ, REG_BINARY and REG_DWORD.
constexpr const char* kTables = R"(
CREATE TABLE reg_key (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES reg_key (id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  UNIQUE (parent, name)
) STRICT;
CREATE TABLE reg_value (
  key_id INTEGER NOT NULL REFERENCES reg_key (id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL CHECK (type IN (1, 3, 4)),
  data BLOB NOT NULL,
  UNIQUE (key_id, name),
  CHECK (type <> 4 OR length(data) = 4),
  CHECK (type <> 1 OR instr(data, x'00') = length(data))
) STRICT;
)";

std::int64_t SingleInteger(Connection& db, const char* sql) {
  Statement statement(db, sql);
  statement.Step();
  return statement.Integer(0);
}

}  // namespace

SchemaState ReadSchemaState(Connection& db) {
  const std::int64_t application = SingleInteger(db, "PRAGMA application_id");
  const std::int64_t version = SingleInteger(db, "PRAGMA user_version");
  if (application == kApplicationId && version == kSchemaVersion) return SchemaState::Ready;
  if (application == 0 && version == 0 &&
      SingleInteger(db, "SELECT count(*) FROM sqlite_schema") == 0) {
    return SchemaState::Empty;
  }
  throw StoreError(ERROR_BADDB);
}

void CreateSchema(Connection& db) {
  db.Execute(kTables);
  Statement root(db, "INSERT INTO reg_key (id, parent, name) VALUES (?1, NULL, '')");
  root.Bind(1, kRootKeyId).Step();
  db.Execute(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
  db.Execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
}

void RequireIntact(Connection& db) {
  Statement check(db, "PRAGMA quick_check(1)");
  if (!check.Step() || check.Text(0) != "ok") throw StoreError(ERROR_BADDB);
}

}  // namespace qvtouch::platform
