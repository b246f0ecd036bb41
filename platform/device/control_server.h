// The control device server of the driver host.
//
// When the driver creates a symbolic link ("\??\qvtouch"), the host kernel serves that name here;
// programs then reach the device as "\\.\qvtouch" (names are not case-sensitive) through
// platform/device/winio.h. Each name is served on a Unix domain socket under RuntimeDir() (see
// device_name.h) with mode 0660 and the group "qvtouch" when that group exists. Idle clients cost
// no thread, and a request that waits inside the dispatch routine (a report capture, a
// pass-through) blocks only its own caller, and ends when its caller goes (see served_device.h).
// Each user but root has a share of the connections (connection_shares.h). The framing is in
// frame.h.
//
// Shutdown, in this order:
//   1. StopServing(): no connection is accepted and no new request is read any more; idle
//      connections are closed and the socket files are removed. Requests inside the dispatch
//      routine go on.
//   2. The host unloads the driver, which wakes the requests that wait inside its dispatch routine
//      (they complete STATUS_CANCELLED, and their replies are still sent) and refuses new ones with
//      STATUS_DELETE_PENDING. A request that was read just before step 1 may still reach the
//      dispatch routine meanwhile; the unloading driver refuses it.
//   3. Join(): waits for every thread. Afterwards nothing reaches a dispatch routine, and the
//      driver may be destroyed.
// The destructor runs steps 1 and 3, so a server must not outlive the dispatch routines it serves.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "driver/kernel.h"
#include "platform/device/connection_shares.h"
#include "platform/device/device_listener.h"

namespace qvtouch::platform {

class ServedDevice;

class ControlDeviceServer {
 public:
  explicit ControlDeviceServer(const ConnectionLimits& limits = {});
  ~ControlDeviceServer();
  ControlDeviceServer(const ControlDeviceServer&) = delete;
  ControlDeviceServer& operator=(const ControlDeviceServer&) = delete;

  // Serves a link name ("\??\qvtouch" or "\\.\qvtouch") with the device's dispatch routine. A name
  // that a live server already serves fails with STATUS_OBJECT_NAME_COLLISION ("device name
  // taken"); a socket file left behind by a dead server is replaced.
  ServeResult Serve(std::string_view linkName, driver::DeviceDispatch& dispatch);
  // Stops serving a name (the driver deleted its link). Returns once no request of that name is
  // inside the dispatch routine any more; a waiting request can hold it up to its time-out.
  void Withdraw(std::string_view linkName);

  // Shutdown steps 1 and 3 (above). Serve fails once StopServing has been called. A name is
  // given up only in step 3, so no other server can take it while the driver unloads.
  void StopServing();
  void Join();

 private:
  const ConnectionLimits limits_;
  std::mutex mutex_;
  bool stopped_ = false;
  std::map<std::string, std::unique_ptr<ServedDevice>> devices_;
};

}  // namespace qvtouch::platform
