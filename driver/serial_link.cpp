// The serial link: a worker that waits for the COM port, configures the line and starts the chain
// of one-byte reads; and the write of command bytes to the controller.
#include <algorithm>
#include <array>
#include <mutex>
#include <optional>
#include <string_view>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver.h"

namespace qvtouch::driver {
namespace {

constexpr std::int64_t kOpenRetryInterval = RelativeMilliseconds(1000);
constexpr std::int64_t kWriteLimit = RelativeMilliseconds(2000);

// Line settings: 9600 baud, 8 data bits, no parity, one stop bit, no time-outs.
constexpr std::uint8_t kStopBit1 = 0;
constexpr std::uint8_t kNoParity = 0;
constexpr std::uint8_t kWordLength = 8;
constexpr std::uint32_t kBaudRate = 9600;
constexpr std::size_t kSerialTimeoutsSize = 20;

}  // namespace

// The template with the port's digit in place of its last character: no allocation.
std::optional<ComPortNameText> ComPortName(std::uint32_t port) {
  if (port < 1 || port > 9) return std::nullopt;
  ComPortNameText name{};
  std::copy(kComPortNameTemplate.begin(), kComPortNameTemplate.end(), name.begin());
  name.back() = static_cast<char>('0' + port);
  return name;
}

NtStatus TouchDriver::StartSerialWorker() {
  NtStatus status = STATUS_SUCCESS;
  worker_ = kernel_.CreateSystemThread([this] { SerialWorker(); }, status);
  return worker_ ? STATUS_SUCCESS : status;
}

void TouchDriver::SerialWorker() {
  std::unique_ptr<SerialPort> port;
  while (!port) {
    // Unload ends the wait, and with it the thread.
    if (workerStop_->Wait(kOpenRetryInterval) == STATUS_SUCCESS) return;
    std::uint32_t portNumber = 0;
    {
      std::lock_guard guard(*lock_);
      portNumber = context_.Port;  // a reload may correct it while the worker polls
    }
    const std::optional<ComPortNameText> name = ComPortName(portNumber);
    NtStatus status = STATUS_SUCCESS;
    if (name) port = kernel_.OpenSerialPort({name->data(), name->size()}, *this, status);
  }

  // The results of the configuration are not examined: reading starts in any case.
  const std::array<std::uint8_t, 3> lineControl{kStopBit1, kNoParity, kWordLength};
  std::array<std::uint8_t, 4> baudRate{};
  StoreU32(baudRate, 0, kBaudRate);
  const std::array<std::uint8_t, kSerialTimeoutsSize> timeouts{};
  port->DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, lineControl);
  port->DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, baudRate);
  port->DeviceControl(IOCTL_SERIAL_SET_TIMEOUTS, timeouts);

  {
    // The hand-off fields and events were set up at driver start; a capture already waiting for
    // its report keeps its slot.
    std::lock_guard guard(*lock_);
    extension_.SerialDevice = std::move(port);
    WriteFlag(context_.StopReads, kReadsRunning);
    context_.PointerEnable = 1;
    readIssued_ = true;
  }
  IssueRead();
}

NtStatus TouchDriver::SendToController(std::span<const std::uint8_t> commandRecord) {
  const std::uint32_t count = LoadU32(commandRecord, kCommandSendCountOffset);
  return extension_.SerialDevice->Write(commandRecord.first(count), kWriteLimit);
}

}  // namespace qvtouch::driver
