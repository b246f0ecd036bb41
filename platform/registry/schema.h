// The tables of a hive's database.
//
//   reg_key    (id, parent, name)             one row per key; the hive's root is id 1
//   reg_value  (key_id, name, type, data)     one row per value, in the order of creation
//
// Names compare with NOCASE. A value's data is exactly what RegQueryValueExA returns: a REG_SZ
// value ends in its only zero byte, a REG_DWORD value is 4 bytes; CHECK constraints hold both.
// Key ids are never reused, so that a handle to a deleted key cannot reach a newer one. Deleting a
// key deletes its values and subkeys through the foreign keys.
#pragma once

#include <cstdint>

#include "platform/registry/sqlite_connection.h"

namespace qvtouch::platform {

inline constexpr std::int64_t kRootKeyId = 1;

enum class SchemaState {
  Empty,  // a new database, or a file created by a process that has not yet added the tables
  Ready,
};

// Throws StoreError(ERROR_BADDB) for a database that is not a hive of this store's version.
SchemaState ReadSchemaState(Connection& db);

// Adds the tables and the root key to an empty database.
void CreateSchema(Connection& db);

// Throws StoreError(ERROR_BADDB) unless SQLite's quick check finds every page and row sound.
void RequireIntact(Connection& db);

}  // namespace qvtouch::platform
