#include "tools/qvreg/messages.h"

#include <iostream>

#include "platform/registry/registry_service.h"

namespace qvtouch::qvreg {

std::string StatusMessage(LSTATUS status, platform::Hive hive) {
  const std::string store = platform::HiveFile(hive).string();
  switch (status) {
    case ERROR_FILE_NOT_FOUND:
      return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED:
      return "Access is denied.";
    case ERROR_INVALID_PARAMETER:
      return "The parameter is incorrect.";
    case ERROR_BADDB:
      return "The registry store " + store +
             " is damaged or is not a registry store. It has been left as it is: restore it from a "
             "backup or an export.";
    case ERROR_REGISTRY_IO_FAILED:
      return "The registry store " + store + " could not be read or written.";
    case ERROR_BUSY:
      return "The registry store " + store + " stayed locked by another program. Try again.";
    case ERROR_NOT_ENOUGH_QUOTA:
      return "The driver host's registry service refused the change: it serves at most " +
             std::to_string(platform::kRegistryClientsPerUser) +
             " connections of one user at once, and that many of yours are open. Try again.";
    case ERROR_REQ_NOT_ACCEP:
      return "The driver host's registry service refused the change: it serves at most " +
             std::to_string(platform::kMaxRegistryClients) +
             " connections at once, and that many are open. Try again.";
    case ERROR_DISK_FULL:
      return "There is not enough space on the disk.";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "Not enough memory resources are available to process this command.";
    case ERROR_KEY_DELETED:
      return "The key was deleted by another program meanwhile.";
    default:
      return "The registry call failed with error " + std::to_string(status) + ".";
  }
}

int Succeed() {
  std::cout << "The operation completed successfully.\n";
  return kSucceeded;
}

int Fail(std::string_view message) {
  std::cerr << "ERROR: " << message << '\n';
  return kFailed;
}

void Warn(std::string_view message) {
  std::cerr << "WARNING: " << message << '\n';
}

int FailKeyName(std::string_view text) {
  return Fail("Invalid key name " + std::string(text) +
              ": it must start with HKLM, HKCU, HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.");
}

int Fail(LSTATUS status, platform::Hive hive) {
  return Fail(StatusMessage(status, hive));
}

}  // namespace qvtouch::qvreg
