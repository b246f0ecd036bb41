// The control interface: the device-control requests of user-mode programs, and the internal
// requests of the mouse class driver.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "common/capture.h"
#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver.h"

namespace qvtouch::driver {
namespace {

// A reply or report that has not arrived within this many milliseconds per byte has timed out.
constexpr std::int64_t kMillisecondsPerByte = 20;
// A reply is awaited for at most this many bytes: far more than any reply of the controller, and
// a caller's output length cannot hold the waiting slot (and the line) for longer than about five
// seconds. A report capture waits for the one report that can arrive, however large its output.
constexpr std::size_t kLongestAwaitedReply = 256;

// What the pointer port tells the class driver about itself.
constexpr std::uint16_t kPortButtons = 2;
constexpr std::uint32_t kPortInputQueueLength = 12;

// Writes the words to the output, which must have room for them. Information is the size of the
// words, or the caller's whole output length where the request returns that: the rest of the
// output is then zeroed, since on the platform it is kernel memory on its way to the caller.
template <std::size_t N>
NtStatus Reply(IoRequest& request, const std::array<std::uint32_t, N>& words,
               bool wholeOutput = false) {
  if (request.Output.size() < 4 * N) return STATUS_BUFFER_TOO_SMALL;
  for (std::size_t i = 0; i < N; ++i) StoreU32(request.Output, 4 * i, words[i]);
  if (wholeOutput) std::fill(request.Output.begin() + 4 * N, request.Output.end(), 0);
  request.Information = static_cast<std::uint32_t>(wholeOutput ? request.Output.size() : 4 * N);
  return STATUS_SUCCESS;
}

std::int64_t ByteTimeout(std::size_t bytes) {
  return RelativeMilliseconds(static_cast<std::int64_t>(bytes) * kMillisecondsPerByte);
}

}  // namespace

NtStatus TouchDriver::DispatchRequest(IoRequest& request) {
  request.Information = 0;
  switch (request.Major) {
    case MajorFunction::Create:
    case MajorFunction::Close:
      return STATUS_SUCCESS;
    case MajorFunction::Read:
    case MajorFunction::Write:
      return STATUS_NOT_IMPLEMENTED;
    case MajorFunction::DeviceControl:
      return DeviceControl(request);
    case MajorFunction::InternalDeviceControl:
      return InternalDeviceControl(request);
  }
  return STATUS_INVALID_DEVICE_REQUEST;
}

NtStatus TouchDriver::DeviceControl(IoRequest& request) {
  DriverContext& c = context_;
  const auto input = request.Input;
  // Set requests read a fixed-size input: a shorter one is refused, never read past.
  const auto shortInput = [&input](std::size_t size) { return input.size() < size; };

  switch (request.IoControlCode) {
    case IOCTL_TOUCH_GET_BUTTON_MODE: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{static_cast<std::uint32_t>(c.ButtonMode)});
    }
    case IOCTL_TOUCH_GET_CAPTURE: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{static_cast<std::uint32_t>(c.CaptureState),
                                       static_cast<std::uint32_t>(c.CaptureRawX),
                                       static_cast<std::uint32_t>(c.CaptureRawY)});
    }
    case IOCTL_TOUCH_ARM_CAPTURE: {
      std::lock_guard guard(*lock_);
      c.CaptureState = CaptureArmed;
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_GET_POINTER: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{std::uint32_t{mouseInput_.ButtonFlags},
                                       static_cast<std::uint32_t>(mouseInput_.LastX),
                                       static_cast<std::uint32_t>(mouseInput_.LastY)});
    }
    case IOCTL_TOUCH_GET_MOUSE_MODE: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{c.MouseMode});
    }
    case IOCTL_TOUCH_SET_CALIBRATION: {
      if (shortInput(CalibrationBlock::kSize)) return STATUS_BUFFER_TOO_SMALL;
      const CalibrationBlock block =
          CalibrationBlock::Decode(input.first<CalibrationBlock::kSize>());
      // A zero span would be a divisor of the mapping: such a block is refused whole.
      if (block.XL == 0 || block.YL == 0) return STATUS_INVALID_PARAMETER;
      std::lock_guard guard(*lock_);
      c.Calibration = block;
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_ENABLE_POINTER: {
      std::lock_guard guard(*lock_);
      ++c.PointerEnable;
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_DISABLE_POINTER: {
      std::lock_guard guard(*lock_);
      if (c.PointerEnable != 0) --c.PointerEnable;
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_RELOAD_SETTINGS:
      LoadSettings();  // a failed load is not reported
      return STATUS_SUCCESS;
    case IOCTL_TOUCH_SET_BUTTON_MODE: {
      if (shortInput(4)) return STATUS_BUFFER_TOO_SMALL;
      std::lock_guard guard(*lock_);
      c.ButtonMode = CheckedButtonMode(LoadU32(input, 0));
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_SET_BEEP: {
      if (shortInput(BeepRecord::kSize)) return STATUS_BUFFER_TOO_SMALL;
      const BeepRecord beep = BeepRecord::Decode(input.first<BeepRecord::kSize>());
      std::lock_guard guard(*lock_);
      c.BeepMode = beep.BeepMode;
      c.BeepFreq1 = CheckedBeepFrequency(beep.BeepFreq1);
      c.BeepTime = CheckedBeepTime(beep.BeepTime, kShortestBeepTime);
      c.BeepFreq2 = CheckedBeepFrequency(beep.BeepFreq2);
      c.BeepTime2 = CheckedBeepTime(beep.BeepTime2, kShortestBeepTime);
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_GET_BEEP: {
      std::lock_guard guard(*lock_);
      return Reply(request,
                   std::array{c.BeepMode, c.BeepFreq1, c.BeepTime, c.BeepFreq2, c.BeepTime2});
    }
    case IOCTL_TOUCH_SET_MOUSE_MODE: {
      if (shortInput(4)) return STATUS_BUFFER_TOO_SMALL;
      std::lock_guard guard(*lock_);
      c.MouseMode = LoadU32(input, 0);
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_BEEP: {
      std::lock_guard guard(*lock_);
      StartBeep(c.BeepFreq1, c.BeepTime);
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_CAPTURE_REPORT:
      return CaptureReport(request);
    case IOCTL_TOUCH_PASS_THROUGH:
      return PassThrough(request);
    case IOCTL_TOUCH_SET_SCREEN_POST: {
      if (shortInput(4)) return STATUS_BUFFER_TOO_SMALL;
      std::lock_guard guard(*lock_);
      c.ScreenPost = LoadS32(input, 0);
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_GET_SCREEN_POST: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{static_cast<std::uint32_t>(c.ScreenPost)}, true);
    }
    case IOCTL_TOUCH_SET_RBN_DELAY: {
      if (shortInput(1)) return STATUS_BUFFER_TOO_SMALL;
      std::lock_guard guard(*lock_);
      c.RBNDelay = input[0];
      return STATUS_SUCCESS;
    }
    case IOCTL_TOUCH_GET_RBN_DELAY: {
      std::lock_guard guard(*lock_);
      return Reply(request, std::array{std::uint32_t{c.RBNDelay}}, true);
    }
    case IOCTL_TOUCH_UNIMPLEMENTED_910:
    case IOCTL_TOUCH_UNIMPLEMENTED_920:
    case IOCTL_TOUCH_UNIMPLEMENTED_99F:
      return STATUS_NOT_IMPLEMENTED;
    default:
      return STATUS_INVALID_DEVICE_REQUEST;
  }
}

// Sends command bytes to the controller and collects its reply: the read completion stores every
// received byte into this request until the wanted count is in, or the wait times out.
NtStatus TouchDriver::PassThrough(IoRequest& request) {
  DriverContext& c = context_;
  if (request.Input.size() < kCommandSendCountOffset + 4) return STATUS_BUFFER_TOO_SMALL;
  if (LoadU32(request.Input, kCommandSendCountOffset) > CommandRecord::kMaxCommandBytes) {
    return STATUS_INVALID_PARAMETER;
  }
  if (request.Output.empty()) {
    // A command that expects no reply waits for nothing: it needs the line, not the waiting slot,
    // and it is written from the caller's own record, so a request that holds the slot keeps its
    // command.
    {
      std::lock_guard guard(*lock_);
      if (!extension_.SerialDevice) return STATUS_DEVICE_NOT_READY;  // the port is not open yet
    }
    return SendToController(request.Input);
  }
  {
    std::lock_guard guard(*lock_);
    if (!extension_.SerialDevice) return STATUS_DEVICE_NOT_READY;
    if (c.PendingRequest != nullptr) return STATUS_DEVICE_BUSY;
    c.PassThroughCount = 0;
    c.PassThroughWanted = static_cast<std::uint32_t>(request.Output.size());
    c.PassThroughCommand.fill(0);
    std::copy_n(request.Input.begin(), std::min(request.Input.size(), kPassThroughCommandSize),
                c.PassThroughCommand.begin());
    // The slot is taken and the reply awaited before the write: a controller that answers while
    // the write is still returning must not have its reply taken for a report.
    c.PendingRequest = &request;
    pendingCancelled_ = false;
    c.PassThroughDone->Clear();
    WriteFlag(c.PassThroughActive, 1);
  }

  const NtStatus writeStatus = SendToController(c.PassThroughCommand);
  const auto emptySlot = [&c] {
    c.PendingRequest = nullptr;
    WriteFlag(c.PassThroughActive, 0);
    c.PassThroughWanted = 0;
    c.PassThroughCount = 0;
  };
  std::int64_t timeout = 0;
  {
    std::lock_guard guard(*lock_);
    if (!NT_SUCCESS(writeStatus)) {
      emptySlot();
      return writeStatus;
    }
    if (c.StopReads != kReadsRunning) {
      emptySlot();
      return STATUS_CANCELLED;
    }
    timeout = ByteTimeout(std::min<std::size_t>(c.PassThroughWanted, kLongestAwaitedReply));
  }

  c.PassThroughDone->Wait(timeout);

  std::lock_guard guard(*lock_);
  const std::uint32_t received = c.PassThroughCount;
  const bool complete = received == c.PassThroughWanted;
  const bool cancelled = c.StopReads != kReadsRunning || pendingCancelled_;
  emptySlot();
  request.Information = received;
  if (complete) return STATUS_SUCCESS;
  return cancelled ? STATUS_CANCELLED : STATUS_TIMEOUT;
}

// Waits for the next valid report, which the read completion copies into this request.
NtStatus TouchDriver::CaptureReport(IoRequest& request) {
  DriverContext& c = context_;
  if (request.Output.size() < kReportSize) return STATUS_BUFFER_TOO_SMALL;
  {
    std::lock_guard guard(*lock_);
    if (c.PendingRequest != nullptr) return STATUS_DEVICE_BUSY;
    if (c.StopReads != kReadsRunning) return STATUS_CANCELLED;
    c.PassThroughWanted = static_cast<std::uint32_t>(request.Output.size());
    c.PassThroughCount = 0;
    c.PendingRequest = &request;
    pendingCancelled_ = false;
    c.PacketCaptured->Clear();
  }

  c.PacketCaptured->Wait(ByteTimeout(kReportSize));

  {
    std::lock_guard guard(*lock_);
    // The read completion that serves the request empties the slot, and another request may have
    // taken it since: the slot's fields are this request's only while it still holds the slot.
    if (c.PendingRequest == &request) {
      c.PendingRequest = nullptr;
      c.PassThroughWanted = 0;
      c.PassThroughCount = 0;
      return c.StopReads != kReadsRunning || pendingCancelled_ ? STATUS_CANCELLED : STATUS_TIMEOUT;
    }
  }
  // The whole output goes back to the caller: nothing of it but the report.
  std::fill(request.Output.begin() + kReportSize, request.Output.end(), 0);
  request.Information = static_cast<std::uint32_t>(request.Output.size());
  return STATUS_SUCCESS;
}

// A request whose caller has gone needs its slot no longer: its wait ends now, as unload ends it.
void TouchDriver::Cancel(IoRequest& request) {
  DriverContext& c = context_;
  std::lock_guard guard(*lock_);
  if (c.PendingRequest != &request) return;  // not waiting, or served already
  pendingCancelled_ = true;
  c.PassThroughDone->Set();
  c.PacketCaptured->Set();
}

NtStatus TouchDriver::InternalDeviceControl(IoRequest& request) {
  DriverContext& c = context_;
  switch (request.IoControlCode) {
    case IOCTL_MOUSE_QUERY_ATTRIBUTES: {
      if (request.Output.size() < kMouseAttributesSize) return STATUS_BUFFER_TOO_SMALL;
      // The sample rate and the padding are zero: on the platform the buffer is kernel memory that
      // the class driver may hand on to a program.
      std::fill_n(request.Output.begin(), kMouseAttributesSize, 0);
      StoreU16(request.Output, kAttributesIdentifierOffset, MOUSE_SERIAL_HARDWARE);
      StoreU16(request.Output, kAttributesButtonsOffset, kPortButtons);
      StoreU32(request.Output, kAttributesQueueLengthOffset, kPortInputQueueLength);
      request.Information = kMouseAttributesSize;
      return STATUS_SUCCESS;
    }
    case IOCTL_INTERNAL_MOUSE_CONNECT: {
      std::lock_guard guard(*lock_);
      if (c.ClassConnect.ClassService != nullptr) return STATUS_SHARING_VIOLATION;
      if (request.Input.size() < sizeof(CONNECT_DATA)) return STATUS_INVALID_PARAMETER;
      std::memcpy(&c.ClassConnect, request.Input.data(), sizeof(CONNECT_DATA));
      return STATUS_SUCCESS;
    }
    case IOCTL_INTERNAL_MOUSE_ENABLE:
      return STATUS_SUCCESS;
    case IOCTL_INTERNAL_MOUSE_DISCONNECT:
    case IOCTL_INTERNAL_MOUSE_DISABLE:
      return STATUS_NOT_SUPPORTED;  // once connected, the port stays connected
    default:
      return STATUS_INVALID_DEVICE_REQUEST;
  }
}

}  // namespace qvtouch::driver
