#include "platform/registry/hive_database.h"

#include <system_error>

#include "platform/posix/foreign_links.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

LSTATUS StatusOfFileError(std::error_code error) {
  return error == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
}

}  // namespace

std::optional<Connection> OpenHiveFileForReading(Hive hive) {
  const std::filesystem::path file = HiveFile(hive);
  if (ForeignLink(file)) throw StoreError(ERROR_ACCESS_DENIED);
  std::error_code error;
  const bool present = std::filesystem::exists(file, error);
  if (error) throw StoreError(StatusOfFileError(error));
  if (!present) return std::nullopt;
  // A process that may write the hive reads it read-write too, so that it finishes what a writer
  // that was killed left behind (the store then reads as before that writer's transaction) rather
  // than fail on it.
  const int access = MayWriteHive(hive) ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
  return Connection(file.c_str(), access | SQLITE_OPEN_NOFOLLOW);
}

Connection EmptyHive() {
  Connection empty(":memory:", SQLITE_OPEN_READWRITE);
  CreateSchema(empty);
  return empty;
}

Connection OpenHiveForWriting(Hive hive) {
  const std::filesystem::path file = HiveFile(hive);
  if (!MayWriteHive(hive) || ForeignLink(file)) throw StoreError(ERROR_ACCESS_DENIED);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) throw StoreError(StatusOfFileError(error));
  Connection db(file.c_str(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW);
  // Write-ahead logging: readers never hold up a writer, nor a writer readers, and a writer
  // killed at any moment leaves the store as it was before its transaction, readable by all.
  db.Execute("PRAGMA journal_mode = WAL");
  return db;
}

}  // namespace qvtouch::platform
