// The serial link: a worker that waits for the COM port, configures the line and starts the chain
// of one-byte reads; the pause after a failed read and the reopening of a port that has gone; and
// the write of command bytes to the controller.
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
constexpr std::int64_t kReadRetryDelay = RelativeMilliseconds(10);
constexpr std::int64_t kWriteLimit = RelativeMilliseconds(2000);

// Line settings: 9600 baud, 8 data bits, no parity, one stop bit, no time-outs.
constexpr std::uint8_t kStopBit1 = 0;
constexpr std::uint8_t kNoParity = 0;
constexpr std::uint8_t kWordLength = 8;
constexpr std::uint32_t kBaudRate = 9600;
constexpr std::size_t kSerialTimeoutsSize = 20;

// Statuses with which port drivers fail requests once their device is being removed or has gone:
// reading on would only fail again, and the port object keeps the removed device from going.
bool PortRemoved(NtStatus status) {
  return status == STATUS_DELETE_PENDING || status == STATUS_NO_SUCH_DEVICE ||
         status == STATUS_DEVICE_REMOVED || status == STATUS_DEVICE_DOES_NOT_EXIST ||
         status == STATUS_DEVICE_NOT_CONNECTED;
}

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
  // Unload ends the wait, and with it the thread.
  while (workerStop_->Wait(kOpenRetryInterval) != STATUS_SUCCESS) {
    if (OpenPort()) return;
  }
}

// One attempt to open the COM port that `Port` names, configure the line and start reading: by
// the worker at start, and by the link's work once a lost port is to be reopened.
bool TouchDriver::OpenPort() {
  std::uint32_t portNumber = 0;
  {
    std::lock_guard guard(*lock_);
    portNumber = context_.Port;  // a reload may correct it while the port is polled
  }
  const std::optional<ComPortNameText> name = ComPortName(portNumber);
  if (!name) return false;
  NtStatus status = STATUS_SUCCESS;
  std::unique_ptr<SerialPort> port =
      kernel_.OpenSerialPort({name->data(), name->size()}, *this, status);
  if (!port) return false;

  // The results of the configuration are not examined: reading starts in any case.
  const std::array<std::uint8_t, 3> lineControl{kStopBit1, kNoParity, kWordLength};
  std::array<std::uint8_t, 4> baudRate{};
  StoreU32(baudRate, 0, kBaudRate);
  const std::array<std::uint8_t, kSerialTimeoutsSize> timeouts{};
  port->DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, lineControl);
  port->DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, baudRate);
  port->DeviceControl(IOCTL_SERIAL_SET_TIMEOUTS, timeouts);

  bool read = false;
  bool stopped = false;
  {
    // The hand-off fields and events were set up at driver start; a capture already waiting for
    // its report keeps its slot. Pointer output starts with the first open; a reopened port leaves
    // it as the control requests have set it.
    std::lock_guard guard(*lock_);
    extension_.SerialDevice = std::move(port);  // unload releases it if it stops the link now
    if (context_.StopReads == kReadsRunning) {
      if (!linkStarted_) context_.PointerEnable = 1;
      linkStarted_ = true;
      linkState_ = LinkState::Reading;
      read = true;
    } else if (linkStarted_) {
      WriteFlag(context_.StopReads, kStopAcknowledged);
      stopped = true;
    }
  }
  if (stopped) readsStopped_->Set();
  if (read) IssueRead();
  return true;
}

// A failed read is not issued again at once: a port driver that fails every read inside the call
// that issues it would keep a processor busy for ever. It is issued again after a short pause; a
// port that has gone is released and reopened.
void TouchDriver::ReadFailed(NtStatus status) {
  if (PortRemoved(status)) {
    ScheduleLink(LinkState::Lost, 0);
  } else {
    ScheduleLink(LinkState::Retrying, kReadRetryDelay);
  }
}

// Hands the link to its timer, unless unload has asked it to stop: then it ends here.
void TouchDriver::ScheduleLink(LinkState next, std::int64_t delay) {
  bool stopped = false;
  {
    std::lock_guard guard(*lock_);
    stopped = context_.StopReads != kReadsRunning;
    if (stopped) {
      WriteFlag(context_.StopReads, kStopAcknowledged);
    } else {
      linkState_ = next;
    }
  }
  if (stopped) {
    readsStopped_->Set();
  } else {
    linkTimer_->Set(delay);  // a routine may not arm its own timer: the work does the rest
  }
}

// The timer's deferred routine, at DISPATCH_LEVEL: the next step runs at passive level.
void TouchDriver::LinkTimerExpired() {
  if (!AcknowledgeStop()) linkWork_->Queue();
}

void TouchDriver::LinkWork() {
  LinkState state = LinkState::Reading;
  {
    std::lock_guard guard(*lock_);
    if (context_.StopReads == kReadsRunning) {
      state = linkState_;
      if (state == LinkState::Retrying) linkState_ = LinkState::Reading;
    }
  }
  if (AcknowledgeStop()) return;
  if (state == LinkState::Retrying) {
    IssueRead();
  } else if (state == LinkState::Lost) {
    ReleasePort();
    ScheduleLink(LinkState::Reopening, kOpenRetryInterval);
  } else if (state == LinkState::Reopening && !OpenPort()) {
    ScheduleLink(LinkState::Reopening, kOpenRetryInterval);
  }
}

// Ends the link where unload has asked it to stop; false while it runs.
bool TouchDriver::AcknowledgeStop() {
  {
    std::lock_guard guard(*lock_);
    if (context_.StopReads == kReadsRunning) return false;
    WriteFlag(context_.StopReads, kStopAcknowledged);
  }
  readsStopped_->Set();
  return true;
}

// A lost port is released once no pass-through writes to it any more; none can start meanwhile.
void TouchDriver::ReleasePort() {
  std::unique_ptr<SerialPort> port;
  bool inUse = false;
  {
    std::lock_guard guard(*lock_);
    port = std::move(extension_.SerialDevice);
    inUse = portUsers_ != 0;
    if (inUse) portIdle_->Clear();
  }
  if (inUse) portIdle_->Wait(std::nullopt);
}

// Unload, once the worker has ended and no request is inside the driver: stops the link wherever
// it is and waits until it has acknowledged.
void TouchDriver::StopLink() {
  SerialPort* port = nullptr;
  {
    std::lock_guard guard(*lock_);
    if (!linkStarted_) return;
    // A lost port is the link's work's to release: that work acknowledges instead.
    if (linkState_ != LinkState::Lost) port = extension_.SerialDevice.get();
  }
  // Also a read that the link's work issues after this is cancelled.
  if (port != nullptr) port->CancelRead();
  // A timer that had not yet expired held the link: it ends here.
  if (linkTimer_->Cancel()) AcknowledgeStop();
  readsStopped_->Wait(std::nullopt);
}

NtStatus TouchDriver::SendToController(std::span<const std::uint8_t> commandRecord) {
  const std::uint32_t count = LoadU32(commandRecord, kCommandSendCountOffset);
  SerialPort* port = nullptr;
  {
    std::lock_guard guard(*lock_);
    port = extension_.SerialDevice.get();
    if (port == nullptr) return STATUS_DEVICE_NOT_READY;  // not open yet, or gone
    ++portUsers_;
  }
  const NtStatus status = port->Write(commandRecord.first(count), kWriteLimit);
  std::lock_guard guard(*lock_);
  if (--portUsers_ == 0) portIdle_->Set();
  return status;
}

}  // namespace qvtouch::driver
