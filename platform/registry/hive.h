// The two hives and the database files that hold them.
#pragma once

#include <filesystem>

namespace qvtouch::platform {

enum class Hive { LocalMachine, CurrentUser };

// HKEY_LOCAL_MACHINE lives in MachineStateDir()/hive/machine.db, in a folder that only its owner
// may enter (see hive_copy.h); HKEY_CURRENT_USER in UserDataDir()/user.db.
std::filesystem::path HiveFile(Hive hive);

// The file that a process that may not write the hive reads: for the machine hive its copy,
// MachineStateDir()/machine.db (see hive_copy.h); for the user hive the hive itself.
std::filesystem::path ReadersHiveFile(Hive hive);

// Whether this process may change the hive: its file and the file's folder (where the store
// keeps its rollback journal) are writable for it, or, while they do not exist yet, the nearest
// existing folder above them is.
bool MayWriteHive(Hive hive);

}  // namespace qvtouch::platform
