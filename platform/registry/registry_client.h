// How a program that may not write the machine hive has its changes made: by the registry
// service that the driver host runs (registry_service.h), over a Unix socket.
#pragma once

#include <filesystem>
#include <span>

#include "platform/registry/hive_changes.h"

namespace qvtouch::platform {

// RuntimeDir()/registry: without the ".sock" that every device's socket has, so that no device
// name can be this one.
std::filesystem::path RegistryServiceSocket();

// Sends changes to the service and returns its result: ERROR_ACCESS_DENIED when no service
// answers (nobody can make them for this process), ERROR_REGISTRY_IO_FAILED when it fails to
// reply, ERROR_INVALID_PARAMETER for changes longer than the service reads, and the service's
// refusals of a connection (see registry_service.h).
ChangeResult SendToRegistryService(std::span<const HiveChange> changes);

}  // namespace qvtouch::platform
