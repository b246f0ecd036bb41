// The listening socket of one served device name.
//
// The socket lies in the runtime folder, which must be one that nobody but root or this user can
// change (OpenTrustedFolder); every file in it is reached through the folder's descriptor, so no
// symbolic link is followed. A name belongs to the live server that holds its claim (see
// name_claim.h). A socket file that no claim covers and on which nobody accepts connections was
// left by a dead server and is replaced. The socket is made with mode 0660, given to the group
// "qvtouch" when that group exists, and only then starts listening, so no other user can connect
// at any moment.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/device/name_claim.h"
#include "platform/device/serve_result.h"
#include "platform/posix/unix_socket.h"

namespace qvtouch::platform {

class DeviceListener {
 public:
  // Claims the name of a device key and listens on its socket (non-blocking).
  static ServeResult Open(std::string_view key, std::unique_ptr<DeviceListener>& listener);
  // Stops listening, then gives up the name: the runtime folder keeps nothing of this server.
  ~DeviceListener();
  DeviceListener(const DeviceListener&) = delete;
  DeviceListener& operator=(const DeviceListener&) = delete;

  int Fd() const { return socket_.Get(); }
  // See NameClaim::ProbeFd.
  int ProbeFd() const { return claim_->ProbeFd(); }

  // Removes the socket file (when it is still ours) and closes the socket: no client can connect
  // any more, and those still waiting to be accepted are turned away. The name stays claimed.
  void StopListening();

 private:
  DeviceListener(UniqueFd folder, std::string socketName, const struct stat& made,
                 std::unique_ptr<NameClaim> claim, UniqueFd socket);

  UniqueFd folder_;
  std::string socketName_;
  // The socket file this listener made, so that it never removes one it did not make.
  dev_t device_;
  ino_t inode_;
  std::unique_ptr<NameClaim> claim_;
  UniqueFd socket_;
};

}  // namespace qvtouch::platform
