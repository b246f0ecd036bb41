#include "platform/registry/hive_database.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/posix/foreign_links.h"
#include "platform/registry/hive_copy.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

constexpr mode_t kPrivateFolder = 0700;

LSTATUS StatusOfFileError(std::error_code error) {
  return error == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
}

// Whether the file is there; throws StoreError when that cannot be told, or when the path leads
// through another user's symbolic link.
bool Present(const std::filesystem::path& file) {
  if (ForeignLink(file)) throw StoreError(ERROR_ACCESS_DENIED);
  std::error_code error;
  const bool present = std::filesystem::exists(file, error);
  if (error) throw StoreError(StatusOfFileError(error));
  return present;
}

// The copy's URI: immutable, since it is only ever replaced whole, so that reading it takes no
// lock and makes no file.
std::string ImmutableUri(const std::filesystem::path& file) {
  std::string uri = "file:";
  for (const char c : file.native()) {
    if (c == '%' || c == '?' || c == '#') {
      constexpr const char* kDigits = "0123456789abcdef";
      const auto byte = static_cast<unsigned char>(c);
      uri += {'%', kDigits[byte >> 4], kDigits[byte & 0xF]};
    } else {
      uri += c;
    }
  }
  return uri + "?mode=ro&immutable=1";
}

// The hive's folder, made when missing. The machine hive's admits nobody but its owner, since a
// process that could open a file of the hive could lock it (see hive_copy.h).
void MakeHiveFolder(Hive hive) {
  const std::filesystem::path folder = HiveFile(hive).parent_path();
  std::error_code error;
  std::filesystem::create_directories(hive == Hive::LocalMachine ? folder.parent_path() : folder,
                                      error);
  if (error) throw StoreError(StatusOfFileError(error));
  if (hive != Hive::LocalMachine) return;
  if (::mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
    throw StoreError(StatusOfFileError(std::error_code(errno, std::generic_category())));
  }
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      ((status.st_mode & 0777) != kPrivateFolder && ::chmod(folder.c_str(), kPrivateFolder) != 0)) {
    throw StoreError(ERROR_ACCESS_DENIED);
  }
}

}  // namespace

std::optional<Connection> OpenHiveFileForReading(Hive hive) {
  const bool writer = MayWriteHive(hive);
  if (hive == Hive::LocalMachine && !writer) {
    const std::filesystem::path copy = ReadersHiveFile(hive);
    if (!Present(copy)) return std::nullopt;
    return Connection(ImmutableUri(copy).c_str(),
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW);
  }
  if (hive == Hive::LocalMachine) RepublishIfDue();
  const std::filesystem::path file = HiveFile(hive);
  if (!Present(file)) return std::nullopt;
  // A process that may write the hive reads it read-write too, so that it finishes what a writer
  // that was killed left behind (the store then reads as before that writer's transaction) rather
  // than fail on it.
  const int access = writer ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
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
  MakeHiveFolder(hive);
  Connection db(file.c_str(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW);
  // Write-ahead logging: readers never hold up a writer, nor a writer readers, and a writer
  // killed at any moment leaves the store as it was before its transaction, readable by all.
  // Switching a new hive to it upgrades a read lock to an exclusive one, which SQLite does not
  // wait for (two upgraders would deadlock): a process that meets another one making the same
  // hive tries again.
  RetryWhileBusy([&db] {
    const int result =
        sqlite3_exec(db.Handle(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    if (result != SQLITE_OK && result != SQLITE_BUSY) db.Fail(result);
    return result == SQLITE_OK;
  });
  return db;
}

}  // namespace qvtouch::platform
