// The touch driver: a pointer port fed by a touch controller on a serial port.
//
// One TouchDriver is one loaded driver image. Its entry points are those the platform calls:
// DriverEntry and Unload, the dispatch routine of its device, and the completion of every
// one-byte serial read. Each concern lives in a source file of its own: settings (context.cpp),
// the report decoder, the coordinate mapping, the pointer emulation, the touch beep, the serial
// link, the control interface and the lifecycle.
//
// Locking: the read completion dispatches each report under ContextLock, and every control request
// touches the shared fields only under it, so a request never sees half of a report's effects and
// a report never sees half of a request's. Settings loads query the store outside the lock and
// publish their result at once. The decoder's own state needs no lock; the two switches it looks
// at for every byte, PassThroughActive and StopReads, are written atomically under the lock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "common/mouse_input.h"
#include "common/touch_report.h"
#include "driver/context.h"
#include "driver/kernel.h"

namespace qvtouch::driver {

inline constexpr std::string_view kPointerPortDeviceName = "\\Device\\PointerPort0";
inline constexpr std::string_view kControlLinkName = "\\??\\qvtouch";
inline constexpr std::string_view kDeviceMapKey = "PointerPort";

// The device name of the COM port that the setting `Port` names: COM1 to COM9 ("\??\COM1"). Other
// numbers name no COM port, and the driver never opens one for them.
inline constexpr std::string_view kComPortNameTemplate = "\\??\\COM1";
using ComPortNameText = std::array<char, kComPortNameTemplate.size()>;
std::optional<ComPortNameText> ComPortName(std::uint32_t port);

class TouchDriver final : public ReadCompletionSink, public DeviceDispatch {
 public:
  explicit TouchDriver(Kernel& kernel);
  ~TouchDriver() override;
  TouchDriver(const TouchDriver&) = delete;
  TouchDriver& operator=(const TouchDriver&) = delete;

  // Lifecycle (lifecycle.cpp).
  NtStatus DriverEntry(std::string_view registryPath);
  void Unload();

  // Every request to the pointer-port device (lifecycle.cpp, control.cpp).
  NtStatus Dispatch(IoRequest& request) override;
  // A capture or pass-through that waits in the slot ends with STATUS_CANCELLED (control.cpp).
  void Cancel(IoRequest& request) override;

  // Completion of every serial read (decoder.cpp).
  void ReadComplete(NtStatus status, std::uint32_t information) override;

  // Settings (context.cpp).
  NtStatus LoadSettings();

  // The state record, for inspection by tests and support tools; take ContextLock() while the
  // driver runs.
  const DriverContext& Context() const { return context_; }
  KernelSpinLock& ContextLock() { return *lock_; }

 private:
  // Decoder (decoder.cpp).
  void HandleUncommonCompletion(NtStatus status, std::uint32_t information);
  void HandlePassThroughByte(NtStatus status);
  void FeedByte(std::uint8_t byte);
  void DispatchReport();

  // Pointer emulation (emulation.cpp).
  void EmitPointer(TouchStatus status);
  void JitterStep();
  void SendInput(std::uint16_t buttonFlags);

  // Touch beep (beep.cpp).
  void TouchBeep(TouchStatus status);
  void StartBeep(std::uint32_t frequency, std::uint32_t milliseconds);
  void BeepDpc();

  // Serial link (serial_link.cpp). Once started, the link is always in exactly one place: a read
  // outstanding (or being completed), its timer armed, or its work queued or running; whichever
  // holds it when unload asks the link to stop acknowledges the stop.
  enum class LinkState : std::uint8_t {
    Reading,    // a read is outstanding
    Retrying,   // a failed read is issued again once the timer has expired
    Lost,       // the port has gone: it is released
    Reopening,  // the port is tried once a second, as the worker does at start
  };
  NtStatus StartSerialWorker();
  void SerialWorker();
  bool OpenPort();
  NtStatus IssueRead() { return extension_.SerialDevice->Read({&context_.ReadByte, 1}); }
  void ReadFailed(NtStatus status);
  void ScheduleLink(LinkState next, std::int64_t delay);
  void LinkTimerExpired();
  void LinkWork();
  bool AcknowledgeStop();
  void ReleasePort();
  void StopLink();
  // Writes the command bytes of a command record (its count already checked) to the controller.
  NtStatus SendToController(std::span<const std::uint8_t> commandRecord);

  // Control interface (control.cpp).
  NtStatus DispatchRequest(IoRequest& request);
  NtStatus DeviceControl(IoRequest& request);
  NtStatus PassThrough(IoRequest& request);
  NtStatus CaptureReport(IoRequest& request);
  NtStatus InternalDeviceControl(IoRequest& request);

  Kernel& kernel_;
  std::unique_ptr<KernelSpinLock> lock_;  // made by DriverEntry
  // The request in the waiting slot was cancelled; set under the lock, cleared as a request
  // takes the slot.
  bool pendingCancelled_ = false;
  DriverContext context_;
  DeviceExtension extension_;

  // The report being assembled by the decoder, as received; kept across driver starts.
  ReportBytes report_{};
  // The pointer input record being built, and the anchor of the jitter window.
  MOUSE_INPUT_DATA mouseInput_;
  MOUSE_INPUT_DATA anchorInput_;

  // The serial link: where it stands, its timer and its passive-level work, and the pass-through
  // writes that use the port (a lost port is released once none does).
  bool linkStarted_ = false;
  LinkState linkState_ = LinkState::Reading;
  std::unique_ptr<KernelTimer> linkTimer_;
  std::unique_ptr<KernelWorkItem> linkWork_;
  std::uint32_t portUsers_ = 0;
  std::unique_ptr<KernelEvent> portIdle_;

  // Unloading: the worker's stop signal and its thread, the end of the read chain, and the
  // requests still inside the dispatch routine.
  std::unique_ptr<KernelEvent> workerStop_;
  std::unique_ptr<SystemThread> worker_;
  std::unique_ptr<KernelEvent> readsStopped_;
  std::unique_ptr<KernelEvent> requestsDrained_;
  std::uint32_t requestsInFlight_ = 0;
  bool unloading_ = false;
};

}  // namespace qvtouch::driver
