// One server's claim to a device name, which holds whatever happens to the files in the runtime
// folder. It rests on two things:
//  - the lock file <socket>.lock, locked with flock. The runtime folder admits nobody but its
//    owner (see OpenTrustedFolder), so no other user can create the file first or replace it. At
//    the end the file is removed while it is still locked, and a server that locks a file checks
//    afterwards that the file is still the one under that name: a server that opened the file
//    just before its removal locks nothing that counts, and tries again.
//  - a listening socket whose abstract name is derived from the socket's path. It has no file,
//    so a server whose lock file was deleted by hand is still found. Any local user could bind
//    that name first; a holder that is neither root nor this user is ignored (the lock file
//    alone decides then), so squatting the name takes nothing from anybody.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/device/serve_result.h"
#include "platform/posix/unique_fd.h"

namespace qvtouch::platform {

// The abstract socket name (without its leading zero byte) under which the server of a socket
// path is found.
std::string ClaimName(const std::filesystem::path& socketPath);

class NameClaim {
 public:
  // Claims the name of the socket `socketPath`, which lies in the trusted folder `folder`.
  // STATUS_OBJECT_NAME_COLLISION when a live server holds it.
  static ServeResult Take(int folder, const std::filesystem::path& socketPath,
                          std::unique_ptr<NameClaim>& claim);
  // Removes the lock file while still holding it, then lets the name go.
  ~NameClaim();
  NameClaim(const NameClaim&) = delete;
  NameClaim& operator=(const NameClaim&) = delete;

  // The listening socket under the abstract name, or -1 when someone else had bound that name.
  // Connections to it (other servers checking who holds the name) must be accepted and closed,
  // so that they never fill its queue.
  int ProbeFd() const { return probe_.Get(); }

 private:
  NameClaim(UniqueFd folder, std::string lockName, UniqueFd lock);

  UniqueFd folder_;
  std::string lockName_;
  UniqueFd lock_;
  UniqueFd probe_;
};

}  // namespace qvtouch::platform
