#include "platform/registry/hive.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/paths/paths.h"

namespace qvtouch::platform {
namespace {

bool Writable(const std::filesystem::path& path) {
  return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

std::filesystem::path HiveFile(Hive hive) {
  return hive == Hive::LocalMachine ? MachineStateDir() / "hive/machine.db"
                                    : UserDataDir() / "user.db";
}

std::filesystem::path ReadersHiveFile(Hive hive) {
  return hive == Hive::LocalMachine ? MachineStateDir() / "machine.db" : HiveFile(hive);
}

bool MayWriteHive(Hive hive) {
  const std::filesystem::path file = HiveFile(hive);
  std::error_code error;
  std::filesystem::path folder = file.parent_path();
  if (std::filesystem::exists(file, error)) return Writable(file) && Writable(folder);
  while (!folder.empty() && !std::filesystem::exists(folder, error)) folder = folder.parent_path();
  return Writable(folder.empty() ? std::filesystem::path(".") : folder);
}

}  // namespace qvtouch::platform
