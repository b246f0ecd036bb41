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

// A port as the driver holds it: known to its ComPorts until it closes.
class ComPorts::OpenPort final : public driver::SerialPort {
 public:
  OpenPort(ComPorts& ports, std::string deviceName, std::unique_ptr<TtySerialPort> tty)
      : ports_(ports), deviceName_(std::move(deviceName)), tty_(std::move(tty)) {}
  ~OpenPort() override { ports_.Forget(*this); }
  OpenPort(const OpenPort&) = delete;
  OpenPort& operator=(const OpenPort&) = delete;

  NtStatus DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) override {
    return tty_->DeviceControl(code, input);
  }
  NtStatus Read(std::span<std::uint8_t> buffer) override { return tty_->Read(buffer); }
  void CancelRead() override { tty_->CancelRead(); }
  NtStatus Write(std::span<const std::uint8_t> bytes, std::int64_t limit) override {
    return tty_->Write(bytes, limit);
  }

  const std::string& DeviceName() const { return deviceName_; }
  TtySerialPort& Tty() { return *tty_; }

 private:
  ComPorts& ports_;
  const std::string deviceName_;
  std::unique_ptr<TtySerialPort> tty_;
};

std::optional<std::string> TtyPathOfPort(std::string_view deviceName,
                                         const PortPathLookup& lookup) {
  const std::optional<int> number = PortNumber(deviceName);
  if (!number) return std::nullopt;
  const std::string valueName = "COM" + std::to_string(*number);
  std::optional<std::string> stored = lookup(valueName);
  if (stored && !stored->empty()) return stored;
  return "/dev/ttyS" + std::to_string(*number - 1);
}

std::unique_ptr<driver::SerialPort> ComPorts::Open(std::string_view deviceName,
                                                   driver::ReadCompletionSink& completion,
                                                   NtStatus& status) {
  std::optional<std::string> path = TtyPathOfPort(deviceName, lookup_);
  if (!path) {
    status = STATUS_OBJECT_NAME_NOT_FOUND;
    return nullptr;
  }
  std::unique_ptr<TtySerialPort> tty = TtySerialPort::Open(std::move(*path), completion, status);
  if (!tty) return nullptr;
  auto port = std::make_unique<OpenPort>(*this, std::string(deviceName), std::move(tty));
  std::lock_guard guard(mutex_);
  open_.push_back(port.get());
  return port;
}

void ComPorts::TakeNewPaths() {
  std::lock_guard guard(mutex_);
  for (OpenPort* port : open_) {
    if (auto path = TtyPathOfPort(port->DeviceName(), lookup_))
      port->Tty().MoveTo(std::move(*path));
  }
}

void ComPorts::Forget(const OpenPort& port) {
  std::lock_guard guard(mutex_);
  std::erase(open_, &port);
}

}  // namespace qvtouch::platform
