// The services the driver calls in its kernel. The driver includes no operating-system header: it
// reaches the platform only through this interface, which a deterministic fake (for tests and the
// replay tool), the Linux driver host and the platform's own kernel implement.
//
// Times follow the platform's convention: 100-nanosecond units, negative values relative to now.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "common/status.h"

namespace qvtouch::driver {

inline constexpr std::int64_t kUnitsPerMillisecond = 10'000;

constexpr std::int64_t RelativeMilliseconds(std::int64_t milliseconds) {
  return -milliseconds * kUnitsPerMillisecond;
}

// A notification event: stays signalled until cleared; a wait on a signalled event returns at once.
class KernelEvent {
 public:
  virtual ~KernelEvent() = default;
  virtual void Set() = 0;
  virtual void Clear() = 0;
  // Returns STATUS_SUCCESS once the event is signalled, or STATUS_TIMEOUT when the relative
  // time-out passes first; without a time-out it waits for ever.
  virtual NtStatus Wait(std::optional<std::int64_t> timeout) = 0;
};

// A one-shot timer bound to a deferred routine. Setting it again replaces its due time. Set and
// Cancel return only once a routine that is already running has returned, so that no earlier
// expiry can act after them.
class KernelTimer {
 public:
  virtual ~KernelTimer() = default;
  // Arms the timer with a relative due time; returns whether it was already armed.
  virtual bool Set(std::int64_t dueTime) = 0;
  // Disarms the timer; returns whether it was armed (its routine then does not run).
  virtual bool Cancel() = 0;
};

// The kernel's spin lock. On the platform its holder runs at DISPATCH_LEVEL, so it is safe against
// the read completion on the same processor; the holder must not wait, must touch only non-paged
// memory, and may call the mouse class driver's service callback, which wants that level.
class KernelSpinLock {
 public:
  virtual ~KernelSpinLock() = default;
  virtual void lock() = 0;
  virtual void unlock() = 0;
};

// A routine that runs at passive level in one of the system's worker threads, queued from code that
// may run at DISPATCH_LEVEL (a read completion, a deferred routine) for work that must not run
// there. Queued again before it has started, it runs once.
class KernelWorkItem {
 public:
  virtual ~KernelWorkItem() = default;
  virtual void Queue() = 0;
};

class SystemThread {
 public:
  virtual ~SystemThread() = default;
  // Waits until the thread's routine has returned.
  virtual void Join() = 0;
};

// Receives the completion of every read issued on a serial port: each read completes once, also
// one that the port cannot start (then with the reason).
class ReadCompletionSink {
 public:
  virtual ~ReadCompletionSink() = default;
  // Called once per completed read, with its status and the number of bytes transferred. It may be
  // called from inside SerialPort::Read when the byte was already buffered.
  virtual void ReadComplete(NtStatus status, std::uint32_t information) = 0;
};

// An opened serial port, as its port driver serves a client.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // A synchronous device-control request without output (the serial configuration requests).
  virtual NtStatus DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) = 0;
  // Starts one read into buffer; at most one read is outstanding. Its completion is reported to
  // the sink given at open.
  virtual NtStatus Read(std::span<std::uint8_t> buffer) = 0;
  // Cancels the outstanding read, which then completes with STATUS_CANCELLED, and every read
  // issued after it: the client is giving the port up.
  virtual void CancelRead() = 0;
  // Writes the bytes; a write not finished within the relative limit is cancelled. Returns the
  // write's final status.
  virtual NtStatus Write(std::span<const std::uint8_t> bytes, std::int64_t limit) = 0;
};

// One request to a device: its major function and, for device control, its code and buffers.
enum class MajorFunction : std::uint8_t { Create, Close, Read, Write, DeviceControl, InternalDeviceControl };

struct IoRequest {
  MajorFunction Major = MajorFunction::DeviceControl;
  std::uint32_t IoControlCode = 0;
  std::span<const std::uint8_t> Input;  // the caller's input bytes
  std::span<std::uint8_t> Output;       // room for the caller's output length
  std::uint32_t Information = 0;        // bytes of Output returned to the caller
};

// The routine every request to a device is dispatched to.
class DeviceDispatch {
 public:
  virtual ~DeviceDispatch() = default;
  virtual NtStatus Dispatch(IoRequest& request) = 0;
  // The cancel of a request whose caller has gone, made from another thread while the request is
  // inside Dispatch: one that waits ends at once. A device without waiting requests ignores it.
  virtual void Cancel(IoRequest& /*request*/) {}
};

// A settings query entry: a value name and where its 32-bit value goes when the value exists.
struct RegistryDwordQuery {
  std::string_view Name;
  std::uint32_t* Destination;
};

class Kernel {
 public:
  virtual ~Kernel() = default;

  // Reads the named REG_DWORD values of an absolute key path ("\Registry\Machine\..."). Values
  // absent from the key, and a missing key, leave their destinations untouched.
  virtual NtStatus QueryRegistryValues(std::string_view keyPath,
                                       std::span<const RegistryDwordQuery> entries) = 0;
  // Writes a REG_SZ value under the device map key of the given name.
  virtual NtStatus WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                                       std::string_view data) = 0;

  // Memory that only passive-level code touches (paged pool on the platform); null when there is
  // none left.
  virtual void* AllocatePaged(std::size_t bytes) = 0;
  virtual void FreePaged(void* block) = 0;

  // The kernel's objects. Each is null when the kernel has no memory left for it.
  virtual std::unique_ptr<KernelSpinLock> CreateSpinLock() = 0;
  virtual std::unique_ptr<KernelEvent> CreateNotificationEvent() = 0;
  virtual std::unique_ptr<KernelTimer> CreateTimer(std::function<void()> deferredRoutine) = 0;
  // Made once the device exists: on the platform a work item belongs to a device, which keeps the
  // driver loaded until a queued routine has returned.
  virtual std::unique_ptr<KernelWorkItem> CreateWorkItem(std::function<void()> routine) = 0;
  // Starts a system thread; null when it cannot be created (status says why).
  virtual std::unique_ptr<SystemThread> CreateSystemThread(std::function<void()> routine,
                                                           NtStatus& status) = 0;

  // Creates a named device whose requests go to dispatch, and a link name that reaches it.
  virtual NtStatus CreateDevice(std::string_view deviceName, DeviceDispatch& dispatch) = 0;
  virtual void DeleteDevice(std::string_view deviceName) = 0;
  virtual NtStatus CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) = 0;
  virtual void DeleteSymbolicLink(std::string_view linkName) = 0;

  // Opens a serial port by its device name ("\??\COM1"); null when it cannot be opened.
  virtual std::unique_ptr<SerialPort> OpenSerialPort(std::string_view portName,
                                                     ReadCompletionSink& completion,
                                                     NtStatus& status) = 0;

  // Sounds the speaker at the frequency in Hz; 0 silences it.
  virtual void MakeBeep(std::uint32_t frequency) = 0;
};

}  // namespace qvtouch::driver
