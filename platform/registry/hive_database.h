// One registry call's connection to a hive, and the transaction its work runs in. A call opens
// its own connection, so that threads never share one and a forked process never inherits one.
#pragma once

#include <optional>

#include "platform/registry/hive.h"
#include "platform/registry/hive_copy.h"
#include "platform/registry/schema.h"
#include "platform/registry/sqlite_connection.h"

namespace qvtouch::platform {

// The hive's file, read-only unless this process may write it; for a process that may not write
// the machine hive, its copy (hive_copy.h). nullopt when there is no such file.
std::optional<Connection> OpenHiveFileForReading(Hive hive);

// A hive with the tables and nothing else, in memory: what a hive without a file reads as.
Connection EmptyHive();

// Read-write, creating the file and its folder when missing, in write-ahead-log mode. Throws
// StoreError with ERROR_ACCESS_DENIED when this process may not write the hive; the file is never
// replaced, and never reached through another user's symbolic link. The machine hive's folder is
// made, or kept, private to its owner.
Connection OpenHiveForWriting(Hive hive);

// Runs body(Connection&) in one read transaction and returns what it returns. A hive without a
// file, or whose file is still empty, reads as an empty hive. The tables are looked for inside
// the transaction, so a hive that another process is creating is seen before or after, whole.
template <class Body>
auto ReadHive(Hive hive, Body&& body) {
  if (std::optional<Connection> file = OpenHiveFileForReading(hive)) {
    Transaction transaction(*file, "BEGIN");
    if (ReadSchemaState(*file) == SchemaState::Ready) {
      auto result = body(*file);
      transaction.Commit();
      return result;
    }
  }
  Connection empty = EmptyHive();
  return body(empty);
}

// Runs body(Connection&) in one write transaction, after adding the tables to a new hive. The
// transaction takes the write lock before it reads (BEGIN IMMEDIATE): nothing it reads can change
// before it writes, and two writers never deadlock upgrading their locks. A damaged hive is never
// written: the transaction first checks every page, which for a hive takes a millisecond or so.
// The machine hive's copy is published before this returns. body must not read the hive through
// any other connection.
template <class Body>
auto WriteHive(Hive hive, Body&& body) {
  Connection db = OpenHiveForWriting(hive);
  CopyPublication copy(hive);
  Transaction transaction(db, "BEGIN IMMEDIATE");
  if (ReadSchemaState(db) == SchemaState::Empty) {
    CreateSchema(db);
  } else {
    RequireIntact(db);
  }
  auto result = body(db);
  copy.Prepare();
  transaction.Commit();
  copy.Publish(db);
  return result;
}

}  // namespace qvtouch::platform
