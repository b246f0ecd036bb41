// The read completion: raw pass-through bytes, the stop request, and the byte state machine that
// assembles touch reports and hands every valid one to the report consumers.
#include <algorithm>
#include <mutex>

#include "common/capture.h"
#include "common/request_codes.h"
#include "driver/driver.h"
#include "driver/mapping.h"

namespace qvtouch::driver {

void TouchDriver::ReadComplete(NtStatus status, std::uint32_t information) {
  bool reissue = false;
  {
    std::lock_guard guard(lock_);
    reissue = HandleReadCompletion(status, information);
  }
  // The re-issue comes last: a port that completes the next read at once re-enters here.
  if (reissue) {
    IssueRead();
  } else {
    readsStopped_->Set();
  }
}

// Returns whether the next read is to be issued.
bool TouchDriver::HandleReadCompletion(NtStatus status, std::uint32_t information) {
  DriverContext& c = context_;
  if (c.PassThroughActive != 0) {
    HandlePassThroughByte(status);
  } else if (c.StopReads == kReadsRunning) {
    if (status != STATUS_SUCCESS) {
      c.ParserState = 0;  // a partly received report is dropped
    } else if (information != 0) {
      FeedByte(c.ReadByte);
    }
  }
  // The stop request ends the chain in pass-through mode too: a read cancelled by unload must not
  // be followed by another.
  if (c.StopReads != kReadsRunning) {
    c.StopReads = kStopAcknowledged;
    return false;
  }
  return true;
}

void TouchDriver::HandlePassThroughByte(NtStatus status) {
  DriverContext& c = context_;
  if (status != STATUS_SUCCESS) {
    c.PassThroughActive = 0;  // the waiting request runs into its time-out
    return;
  }
  if (c.PendingRequest == nullptr || c.PassThroughCount >= c.PendingRequest->Output.size()) return;
  c.PendingRequest->Output[c.PassThroughCount] = c.ReadByte;
  ++c.PassThroughCount;
  if (c.PassThroughCount == c.PassThroughWanted) {
    c.PassThroughActive = 0;
    c.PassThroughDone->Set();
  }
}

void TouchDriver::FeedByte(std::uint8_t byte) {
  std::uint8_t& state = context_.ParserState;
  switch (state) {
    case 0:
      state = byte == kReportSync1 ? 1 : 0;
      return;
    case 1:
      state = byte == kReportSync2 ? 2 : 0;
      return;
    case 2:
      if (!IsTouchStatus(byte)) {
        state = 0;
        return;
      }
      report_.Status = byte;
      break;
    case 3:
      report_.RawX = static_cast<std::uint16_t>((report_.RawX & 0xFF00) | byte);
      break;
    case 4:
      report_.RawX = static_cast<std::uint16_t>((report_.RawX & 0x00FF) | (byte << 8));
      break;
    case 5:
      report_.RawY = static_cast<std::uint16_t>((report_.RawY & 0xFF00) | byte);
      break;
    case 6:
      report_.RawY = static_cast<std::uint16_t>((report_.RawY & 0x00FF) | (byte << 8));
      break;
    case 7:
      report_.Extra[0] = byte;
      break;
    case 8:
      report_.Extra[1] = byte;
      break;
    default:
      state = 0;
      if (byte == report_.Checksum()) DispatchReport();
      return;
  }
  ++state;
}

void TouchDriver::DispatchReport() {
  DriverContext& c = context_;
  const auto status = static_cast<TouchStatus>(report_.Status);

  // A waiting report capture gets the report as it came. Emptying the slot here tells the waiter
  // that it was served; only a capture request takes a report, never a pass-through.
  if (c.PendingRequest != nullptr && c.PendingRequest->IoControlCode == IOCTL_TOUCH_CAPTURE_REPORT) {
    const ReportBytes bytes = report_.Encode();
    std::copy(bytes.begin(), bytes.end(), c.PendingRequest->Output.begin());
    c.PendingRequest = nullptr;
    c.PacketCaptured->Set();
  }

  const MappedPosition position = MapReport(report_.RawX, report_.RawY, c.Calibration, c.ScreenPost);
  mouseInput_.Flags = position.Flags;
  mouseInput_.LastX = position.X;
  mouseInput_.LastY = position.Y;

  if (status == TouchStatus::Press && c.CaptureState == CaptureArmed) {
    c.CaptureState = CaptureTouched;
  } else if (status == TouchStatus::Release && c.CaptureState == CaptureTouched) {
    c.CaptureState = CaptureReleased;
  }
  c.CaptureRawX = report_.RawX;
  c.CaptureRawY = report_.RawY;

  if (c.PointerEnable != 0 && c.ClassConnect.ClassService != nullptr) {
    EmitPointer(status);
    TouchBeep(status);
  }
}

}  // namespace qvtouch::driver
