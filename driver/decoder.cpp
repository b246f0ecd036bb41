// The read completion: raw pass-through bytes, the stop request, and the byte state machine that
// assembles touch reports and hands every valid one to the report consumers (under the lock).
#include <algorithm>
#include <mutex>

#include "common/capture.h"
#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver.h"
#include "driver/mapping.h"

namespace qvtouch::driver {

void TouchDriver::ReadComplete(NtStatus status, std::uint32_t information) {
  DriverContext& c = context_;
  // The common case, once per received byte: a byte for the decoder. The decoder's state belongs
  // to the read completion alone; only the switches to pass-through and to stopping are shared.
  if ((ReadFlag(c.PassThroughActive) | ReadFlag(c.StopReads)) == 0 && status == STATUS_SUCCESS &&
      information != 0) [[likely]] {
    FeedByte(c.ReadByte);
    IssueRead();  // last: a port that completes the next read at once re-enters here
    return;
  }
  HandleUncommonCompletion(status, information);
}

// A pass-through byte, a stop request, a failed read or an empty one. A failed read is not issued
// again at once (serial_link.cpp).
[[gnu::noinline]] void TouchDriver::HandleUncommonCompletion(NtStatus status,
                                                             std::uint32_t information) {
  DriverContext& c = context_;
  bool passThrough = false;
  bool stopped = false;
  {
    std::lock_guard guard(*lock_);
    passThrough = c.PassThroughActive != 0;
    if (passThrough) HandlePassThroughByte(status);
    // The stop request ends the chain in pass-through mode too: a read cancelled by unload must
    // not be followed by another.
    stopped = c.StopReads != kReadsRunning;
    if (stopped) WriteFlag(c.StopReads, kStopAcknowledged);
  }
  if (stopped) {
    readsStopped_->Set();
    return;
  }
  if (status != STATUS_SUCCESS) {
    if (!passThrough) c.ParserState = 0;  // a partly received report is dropped
    ReadFailed(status);
    return;
  }
  if (!passThrough && information != 0) FeedByte(c.ReadByte);  // the pass-through ended just before
  IssueRead();
}

void TouchDriver::HandlePassThroughByte(NtStatus status) {
  DriverContext& c = context_;
  if (status != STATUS_SUCCESS) {
    WriteFlag(c.PassThroughActive, 0);  // the waiting request runs into its time-out
    return;
  }
  if (c.PendingRequest == nullptr || c.PassThroughCount >= c.PendingRequest->Output.size()) return;
  c.PendingRequest->Output[c.PassThroughCount] = c.ReadByte;
  ++c.PassThroughCount;
  if (c.PassThroughCount == c.PassThroughWanted) {
    WriteFlag(c.PassThroughActive, 0);
    c.PassThroughDone->Set();
  }
}

inline void TouchDriver::FeedByte(std::uint8_t byte) {
  std::uint8_t& state = context_.ParserState;
  const std::uint8_t position = state;
  report_[position] = byte;  // the report is assembled in place, byte by byte
  // Positions 3 to 8 (coordinates and extra bytes) take any byte.
  if (static_cast<unsigned>(position - kReportRawXOffset) <
      kReportChecksumOffset - kReportRawXOffset) [[likely]] {
    state = position + 1;
    return;
  }
  switch (position) {
    case 0:
      state = byte == kReportSync1 ? 1 : 0;
      return;
    case 1:
      // A byte other than the second sync byte is not looked at again as a first one.
      state = byte == kReportSync2 ? 2 : 0;
      return;
    case kReportStatusOffset:
      state = IsTouchStatus(byte) ? kReportRawXOffset : 0;
      return;
    default:
      state = 0;
      if (byte == ReportChecksum(report_)) DispatchReport();
      return;
  }
}

// Out of line: it runs once per report, and keeping it apart keeps the per-byte path lean.
[[gnu::noinline]] void TouchDriver::DispatchReport() {
  std::lock_guard guard(*lock_);
  DriverContext& c = context_;
  const auto status = static_cast<TouchStatus>(report_[kReportStatusOffset]);
  const std::uint16_t rawX = LoadU16(report_, kReportRawXOffset);
  const std::uint16_t rawY = LoadU16(report_, kReportRawYOffset);

  // A waiting report capture gets the report as it came. Emptying the slot here tells the waiter
  // that it was served; only a capture request takes a report, never a pass-through.
  if (c.PendingRequest != nullptr && c.PendingRequest->IoControlCode == IOCTL_TOUCH_CAPTURE_REPORT) {
    std::copy(report_.begin(), report_.end(), c.PendingRequest->Output.begin());
    c.PendingRequest = nullptr;
    c.PacketCaptured->Set();
  }

  const MappedPosition position = MapReport(rawX, rawY, c.Calibration, c.ScreenPost);
  mouseInput_.Flags = position.Flags;
  mouseInput_.LastX = position.X;
  mouseInput_.LastY = position.Y;

  if (status == TouchStatus::Press && c.CaptureState == CaptureArmed) {
    c.CaptureState = CaptureTouched;
  } else if (status == TouchStatus::Release && c.CaptureState == CaptureTouched) {
    c.CaptureState = CaptureReleased;
  }
  c.CaptureRawX = rawX;
  c.CaptureRawY = rawY;

  if (c.PointerEnable != 0 && c.ClassConnect.ClassService != nullptr) {
    EmitPointer(status);
    TouchBeep(status);
  }
}

}  // namespace qvtouch::driver
