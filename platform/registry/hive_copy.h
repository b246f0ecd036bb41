// The machine hive's copy for the processes that may not write it.
//
// SQLite's locks are advisory locks that any process may take on a file it can open for reading;
// one held on the hive's shared-memory index holds up every change, and every reader that may
// write the hive. So the machine hive lies in a folder of its own that only its owner (root) may
// enter, and every other process reads a copy of it, ReadersHiveFile(). The copy is never changed
// in place, only replaced whole by a rename after each change, so it is opened immutable: its
// readers take no lock at all, and a lock that one takes on it anyway holds nobody up. A reader
// sees a whole transaction's state, the one before or the one after.
//
// A writer of the machine hive holds the publication lock (a lock of the hive's folder, which
// only its owner can take) from before its transaction until its copy is in place, so copies are
// published in the order of their transactions. Before it commits, it makes the file of the next
// copy in the hive's folder; after, it fills that file from the committed hive and renames it over
// the copy. A next copy's file while nobody holds the lock is therefore a writer's that was killed
// between its commit and its copy: the next process that may write the hive and reads it publishes
// the copy then (RepublishIfDue), as it does when there is no copy at all.
#pragma once

#include "platform/posix/unique_fd.h"
#include "platform/registry/hive.h"
#include "platform/registry/sqlite_connection.h"

namespace qvtouch::platform {

// One write transaction's publication; for the user hive, which has no copy, it does nothing.
class CopyPublication {
 public:
  // Takes the publication lock, waiting up to the store's busy time-out; throws StoreError with
  // ERROR_BUSY when it cannot have it by then. The hive's folder must exist.
  explicit CopyPublication(Hive hive);
  // Gives the lock up, and the next copy's file when it made one that no commit needs.
  ~CopyPublication();
  CopyPublication(const CopyPublication&) = delete;
  CopyPublication& operator=(const CopyPublication&) = delete;

  // Before the commit: makes the next copy's file. Throws StoreError when it cannot, so that
  // nothing is committed without it.
  void Prepare();
  // After the commit: publishes the hive that db holds. A copy that cannot be published stays due
  // (its file stays behind); the change committed stands.
  void Publish(Connection& db);

 private:
  UniqueFd hiveFolder_;  // locked; invalid for the user hive
  bool madeNext_ = false;
  bool committed_ = false;
};

// For a process that may write the machine hive, before it reads it: publishes the copy when it
// is due. Does nothing while another process holds the publication lock (that one publishes), or
// when the hive cannot be published (it is damaged, say, and reported by the reading).
void RepublishIfDue();

}  // namespace qvtouch::platform
