// COM ports on this host. The driver opens its port by the device name "\??\COMn" (n from 1 to
// 9). COMn is the tty whose path the REG_SZ value "COMn" under HKEY_LOCAL_MACHINE
// Software\QVTouch\Ports holds, or /dev/ttyS<n-1> when that value is absent or empty. The store
// is read at every open, so a corrected path is picked up at the driver's next attempt, and again
// for every open port whenever the driver reads its settings (at start, and at every reload): a
// port whose value names another tty then moves there.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/kernel.h"

namespace qvtouch::platform {

// The key, under HKEY_LOCAL_MACHINE, whose values name the ttys of the COM ports.
inline constexpr std::string_view kPortPathsKey = "Software\\QVTouch\\Ports";

// Reads the REG_SZ value of that name under kPortPathsKey; nullopt when there is none.
using PortPathLookup = std::function<std::optional<std::string>(std::string_view valueName)>;

// The tty path of a device name "\??\COM1" to "\??\COM9" (not case-sensitive, like every object
// name); nullopt for any other name.
std::optional<std::string> TtyPathOfPort(std::string_view deviceName, const PortPathLookup& lookup);

// The COM ports the host opens, on their ttys as above. Every port it opened must be gone before
// it goes.
class ComPorts {
 public:
  explicit ComPorts(PortPathLookup lookup) : lookup_(std::move(lookup)) {}
  ComPorts(const ComPorts&) = delete;
  ComPorts& operator=(const ComPorts&) = delete;

  // What the host kernel's OpenSerialPort calls: a port, or null with the reason in status. A
  // name that is no COM port gives STATUS_OBJECT_NAME_NOT_FOUND.
  std::unique_ptr<driver::SerialPort> Open(std::string_view deviceName,
                                           driver::ReadCompletionSink& completion,
                                           NtStatus& status);
  // Looks every open port's path up again and moves each whose value now names another tty.
  void TakeNewPaths();

 private:
  class OpenPort;
  void Forget(const OpenPort& port);

  PortPathLookup lookup_;
  std::mutex mutex_;  // guards open_, and keeps a port from closing while it moves
  std::vector<OpenPort*> open_;
};

}  // namespace qvtouch::platform
