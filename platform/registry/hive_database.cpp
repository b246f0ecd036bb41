#include "platform/registry/hive_database.h"

#include <system_error>

#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

LSTATUS StatusOfFileError(std::error_code error) {
  return error == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
}

}  // namespace

std::optional<Connection> OpenHiveFileForReading(Hive hive) {
  const std::filesystem::path file = HiveFile(hive);
  std::error_code error;
  const bool present = std::filesystem::exists(file, error);
  if (error) throw StoreError(StatusOfFileError(error));
  if (!present) return std::nullopt;
  return Connection(file.c_str(), SQLITE_OPEN_READONLY);
}

Connection EmptyHive() {
  Connection empty(":memory:", SQLITE_OPEN_READWRITE);
  CreateSchema(empty);
  return empty;
}

Connection OpenHiveForWriting(Hive hive) {
  if (!MayWriteHive(hive)) throw StoreError(ERROR_ACCESS_DENIED);
  const std::filesystem::path file = HiveFile(hive);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) throw StoreError(StatusOfFileError(error));
  return Connection(file.c_str(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

}  // namespace qvtouch::platform
