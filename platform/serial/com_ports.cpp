#include "platform/serial/com_ports.h"

#include <algorithm>
#include <cctype>

#include "platform/serial/tty_serial_port.h"

namespace qvtouch::platform {
namespace {

constexpr std::string_view kComPortPrefix = "\\??\\COM";

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::toupper(x) == std::toupper(y);
  });
}

// The port number of "\??\COMn", n from 1 to 9.
std::optional<int> PortNumber(std::string_view deviceName) {
  if (deviceName.size() != kComPortPrefix.size() + 1 ||
      !EqualIgnoringCase(deviceName.substr(0, kComPortPrefix.size()), kComPortPrefix)) {
    return std::nullopt;
  }
  const char digit = deviceName.back();
  if (digit < '1' || digit > '9') return std::nullopt;
  return digit - '0';
}

}  // namespace

std::optional<std::string> TtyPathOfPort(std::string_view deviceName,
                                         const PortPathLookup& lookup) {
  const std::optional<int> number = PortNumber(deviceName);
  if (!number) return std::nullopt;
  const std::string valueName = "COM" + std::to_string(*number);
  std::optional<std::string> stored = lookup(valueName);
  if (stored && !stored->empty()) return stored;
  return "/dev/ttyS" + std::to_string(*number - 1);
}

SerialPortOpener ComPortOpener(PortPathLookup lookup) {
  return [lookup = std::move(lookup)](std::string_view deviceName,
                                      driver::ReadCompletionSink& completion,
                                      NtStatus& status) -> std::unique_ptr<driver::SerialPort> {
    std::optional<std::string> path = TtyPathOfPort(deviceName, lookup);
    if (!path) {
      status = STATUS_OBJECT_NAME_NOT_FOUND;
      return nullptr;
    }
    return TtySerialPort::Open(std::move(*path), completion, status);
  };
}

}  // namespace qvtouch::platform
