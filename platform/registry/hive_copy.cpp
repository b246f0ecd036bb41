#include "platform/registry/hive_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/registry/schema.h"
#include "platform/registry/store_error.h"

namespace qvtouch::platform {
namespace {

// The next copy, in the hive's folder until it replaces the copy.
constexpr const char* kNextCopy = "machine.db.copy";
constexpr const char* kHive = "machine.db";
constexpr mode_t kCopyMode = 0644;  // every user reads it

UniqueFd OpenHiveFolder() {
  const auto folder = HiveFile(Hive::LocalMachine).parent_path();
  return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool Exists(int folder, const char* name) {
  struct stat status {};
  return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Due(int hiveFolder) {
  std::error_code ignored;
  return Exists(hiveFolder, kNextCopy) ||
         (Exists(hiveFolder, kHive) &&
          !std::filesystem::exists(ReadersHiveFile(Hive::LocalMachine), ignored));
}

// Fills the next copy's file (made when missing) from db and renames it over the copy.
bool PublishCopy(int hiveFolder, Connection& db) {
  const auto next = HiveFile(Hive::LocalMachine).parent_path() / kNextCopy;
  try {
    Connection copy(next.c_str(),
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW);
    // The copy is one file: no log may stay beside it.
    int persist = 0;
    sqlite3_file_control(copy.Handle(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    sqlite3_backup* backup = sqlite3_backup_init(copy.Handle(), "main", db.Handle(), "main");
    if (backup == nullptr) return false;
    const int copied = sqlite3_backup_step(backup, -1);
    if (sqlite3_backup_finish(backup) != SQLITE_OK || copied != SQLITE_DONE) return false;
    // The pages came with the hive's write-ahead-log mode, which a reader of one file without its
    // log must not see.
    copy.Execute("PRAGMA journal_mode = DELETE");
  } catch (const StoreError&) {
    return false;
  }
  const auto copy = ReadersHiveFile(Hive::LocalMachine);
  return ::fchmodat(hiveFolder, kNextCopy, kCopyMode, 0) == 0 &&
         ::renameat(hiveFolder, kNextCopy, AT_FDCWD, copy.c_str()) == 0;
}

}  // namespace

CopyPublication::CopyPublication(Hive hive) {
  if (hive != Hive::LocalMachine) return;
  hiveFolder_ = OpenHiveFolder();
  if (!hiveFolder_) throw StoreError(ERROR_REGISTRY_IO_FAILED);
  RetryWhileBusy([this] {
    if (::flock(hiveFolder_.Get(), LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) throw StoreError(ERROR_REGISTRY_IO_FAILED);
    return false;
  });
}

CopyPublication::~CopyPublication() {
  if (madeNext_ && !committed_) ::unlinkat(hiveFolder_.Get(), kNextCopy, 0);
}

void CopyPublication::Prepare() {
  if (!hiveFolder_) return;
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
  UniqueFd next(::openat(hiveFolder_.Get(), kNextCopy, flags | O_EXCL, kCopyMode));
  madeNext_ = next.Valid();
  // One left by a writer killed before its copy: emptied, it is filled anew.
  if (!next && errno == EEXIST) next.Reset(::openat(hiveFolder_.Get(), kNextCopy, flags | O_TRUNC));
  if (!next) throw StoreError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_REGISTRY_IO_FAILED);
}

void CopyPublication::Publish(Connection& db) {
  committed_ = true;
  if (hiveFolder_) PublishCopy(hiveFolder_.Get(), db);
}

void RepublishIfDue() {
  const UniqueFd hiveFolder = OpenHiveFolder();
  if (!hiveFolder || !Due(hiveFolder.Get()) || ::flock(hiveFolder.Get(), LOCK_EX | LOCK_NB) != 0) {
    return;
  }
  if (!Due(hiveFolder.Get())) return;  // published meanwhile
  try {
    Connection db(HiveFile(Hive::LocalMachine).c_str(),
                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
    {
      // A copy of a damaged hive would hand its damage to every reader.
      Transaction reading(db, "BEGIN");
      if (ReadSchemaState(db) != SchemaState::Ready) return;
      RequireIntact(db);
      reading.Commit();
    }
    PublishCopy(hiveFolder.Get(), db);
  } catch (const StoreError&) {
    // Reported by the reading that follows.
  }
  // Without a copy the next one is due anyway: a file made for it here and not published goes.
  std::error_code ignored;
  if (!std::filesystem::exists(ReadersHiveFile(Hive::LocalMachine), ignored)) {
    ::unlinkat(hiveFolder.Get(), kNextCopy, 0);
  }
}

}  // namespace qvtouch::platform
