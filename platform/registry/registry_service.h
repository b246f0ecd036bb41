// The registry service: changes to the machine hive made for processes that may not write its
// file themselves, within the rights of store_rights.h. The driver host runs it as root, as the
// platform's kernel serves its registry; programs reach it through CommitChanges (hive_changes.h).
//
// It listens on RegistryServiceSocket() (mode 0660, group qvtouch: root and the operators may
// connect). A connection carries one request, a list of changes (change_wire.h), and gets one
// reply. The caller is known by the socket's peer credentials: root may change everything, an
// operator what store_rights.h allows, anyone else nothing. One thread serves every connection;
// a connection that has not sent its whole request within kRequestPatience is closed, and one
// beyond kMaxRegistryClients is answered ERROR_BUSY at once, so that idle clients hold up no one.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/posix/stop_signal.h"
#include "platform/posix/unique_fd.h"
#include "platform/registry/hive_changes.h"

namespace qvtouch::platform {

inline constexpr std::size_t kMaxRegistryClients = 1024;
inline constexpr std::chrono::seconds kRequestPatience{10};

// RuntimeDir()/registry/service.sock: a folder of its own, so that no device name's socket can
// be this one.
std::filesystem::path RegistryServiceSocket();

// Who sent a request, by the socket's peer credentials.
struct RegistryCaller {
  uid_t User;
  bool Operator;
};

// Applies the changes to the machine hive if the caller may make every one of them.
ChangeResult ChangeForCaller(const RegistryCaller& caller, std::span<const HiveChange> changes);

class RegistryService {
 public:
  // Listens on RegistryServiceSocket(); null with error set when it cannot.
  static std::unique_ptr<RegistryService> Start(std::string& error);
  // Stops serving and removes the socket file.
  ~RegistryService();
  RegistryService(const RegistryService&) = delete;
  RegistryService& operator=(const RegistryService&) = delete;

 private:
  explicit RegistryService(UniqueFd listener);
  void Serve();

  UniqueFd listener_;
  StopSignal stop_;
  std::thread thread_;
};

// Sends changes to the service and returns its result: ERROR_ACCESS_DENIED when no service
// answers (nobody can make them for this process), ERROR_REGISTRY_IO_FAILED when it fails to
// reply.
ChangeResult SendToRegistryService(std::span<const HiveChange> changes);

}  // namespace qvtouch::platform
