#include "platform/registry/sqlite_status.h"

#include <sqlite3.h>

#include <cerrno>

namespace qvtouch::platform {

LSTATUS StatusOfSqliteResult(int result, int systemError) {
  switch (result & 0xFF) {  // the primary code of an extended one
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_BADDB;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_BUSY;  // another process held the hive longer than the busy time-out
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
      return systemError == EACCES || systemError == EPERM ? ERROR_ACCESS_DENIED
                                                           : ERROR_REGISTRY_IO_FAILED;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

}  // namespace qvtouch::platform
