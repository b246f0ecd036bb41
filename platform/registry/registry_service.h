// The registry service: changes to the machine hive made for processes that may not write its
// file themselves, within the rights of store_rights.h. The driver host runs it as root, as the
// platform's kernel serves its registry; programs reach it through registry_client.h.
//
// It listens on RegistryServiceSocket() in the runtime folder (mode 0660, group qvtouch: root and
// the operators may connect). A connection carries one request, a list of changes
// (change_wire.h), and gets one reply. The caller is known by the socket's peer credentials: root
// may change everything, an operator what store_rights.h allows, anyone else nothing. One thread
// serves every connection; a connection that has not sent its whole request within
// kRequestPatience is closed, and a request longer than kMaxChangeMessage is refused before it
// is read, so that a connection costs the service at most that much. Each user but root has a
// share of the connections: one beyond kRegistryClientsPerUser of that user's is answered
// ERROR_NOT_ENOUGH_QUOTA at once, and one beyond kMaxRegistryClients of all users' together
// ERROR_REQ_NOT_ACCEP, so that no operator holds up another; root is always served.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <thread>

#include "platform/posix/stop_signal.h"
#include "platform/posix/unique_fd.h"
#include "platform/registry/hive_changes.h"

namespace qvtouch::platform {

inline constexpr std::size_t kMaxRegistryClients = 1024;
inline constexpr std::size_t kRegistryClientsPerUser = 8;
inline constexpr std::chrono::seconds kRequestPatience{10};

// Who sent a request, by the socket's peer credentials.
struct RegistryCaller {
  uid_t User;
  bool Operator;
};

// Applies the changes to the machine hive if the caller may make every one of them.
ChangeResult ChangeForCaller(const RegistryCaller& caller, std::span<const HiveChange> changes);

class RegistryService {
 public:
  // Listens on RegistryServiceSocket(); null with error set when it cannot. The caller is the one
  // driver host, which holds its device's name: a socket file already there is a dead host's.
  static std::unique_ptr<RegistryService> Start(std::string& error);
  // Stops serving and removes the socket file.
  ~RegistryService();
  RegistryService(const RegistryService&) = delete;
  RegistryService& operator=(const RegistryService&) = delete;

 private:
  RegistryService(UniqueFd folder, UniqueFd listener);
  void Serve();

  UniqueFd folder_;  // the runtime folder, where the socket file is
  UniqueFd listener_;
  StopSignal stop_;
  std::thread thread_;
};

}  // namespace qvtouch::platform
