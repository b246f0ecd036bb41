// COM ports on this host. The driver opens its port by the device name "\??\COMn" (n from 1 to
// 9). COMn is the tty whose path the REG_SZ value "COMn" under HKEY_LOCAL_MACHINE
// Software\QVTouch\Ports holds, or /dev/ttyS<n-1> when that value is absent or empty. The store
// is read at every open, so a corrected path is picked up at the driver's next attempt.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "driver/kernel.h"

namespace qvtouch::platform {

// The key, under HKEY_LOCAL_MACHINE, whose values name the ttys of the COM ports.
inline constexpr std::string_view kPortPathsKey = "Software\\QVTouch\\Ports";

// Reads the REG_SZ value of that name under kPortPathsKey; nullopt when there is none.
using PortPathLookup = std::function<std::optional<std::string>(std::string_view valueName)>;

// The tty path of a device name "\??\COM1" to "\??\COM9" (not case-sensitive, like every object
// name); nullopt for any other name.
std::optional<std::string> TtyPathOfPort(std::string_view deviceName, const PortPathLookup& lookup);

// What the host kernel's OpenSerialPort calls: a port, or null with the reason in status.
using SerialPortOpener = std::function<std::unique_ptr<driver::SerialPort>(
    std::string_view deviceName, driver::ReadCompletionSink& completion, NtStatus& status)>;

// Opens COM ports on their ttys as above. A name that is no COM port gives
// STATUS_OBJECT_NAME_NOT_FOUND.
SerialPortOpener ComPortOpener(PortPathLookup lookup);

}  // namespace qvtouch::platform
