// A deterministic kernel for tests and support tools: a manual clock, an in-memory settings store,
// scripted serial ports and a log of every tone. System threads run to completion when created;
// a wait that would block advances the clock by its time-out instead, after giving the test a
// chance to act (OnBlockingWait), so a run never depends on real time.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/kernel.h"

namespace qvtouch::driver {

class FakeKernel;

class FakeSerialPort final : public SerialPort {
 public:
  FakeSerialPort(FakeKernel& kernel, ReadCompletionSink& sink) : kernel_(kernel), sink_(sink) {}
  ~FakeSerialPort() override;
  FakeSerialPort(const FakeSerialPort&) = delete;
  FakeSerialPort& operator=(const FakeSerialPort&) = delete;

  NtStatus DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) override;
  NtStatus Read(std::span<std::uint8_t> buffer) override;
  void CancelRead() override;
  NtStatus Write(std::span<const std::uint8_t> bytes, std::int64_t limit) override;

  // Completes the outstanding read with one byte, as the line delivers it.
  void Deliver(std::uint8_t byte);
  void Deliver(std::span<const std::uint8_t> bytes);
  // Completes the outstanding read with an error and no byte.
  void Fail(NtStatus status = STATUS_IO_DEVICE_ERROR);
  bool ReadPending() const { return !readBuffer_.empty(); }
  // While not STATUS_SUCCESS, every read fails with this status inside the call that issues it, as
  // with a port driver whose device has gone or whose line has stopped on an error.
  NtStatus FailsAtOnce = STATUS_SUCCESS;

  struct ControlRequest {
    std::uint32_t Code;
    std::vector<std::uint8_t> Input;
  };
  std::vector<ControlRequest> Controls;  // configuration requests, in order
  std::vector<std::uint8_t> Written;     // every byte written to the controller
  std::uint32_t ReadsIssued = 0;
  // What a write returns, and what the controller does with the written bytes (for example,
  // deliver its reply).
  NtStatus WriteStatus = STATUS_SUCCESS;
  std::function<void(std::span<const std::uint8_t>)> OnWrite;

 private:
  void Complete(NtStatus status, std::optional<std::uint8_t> byte);

  FakeKernel& kernel_;
  ReadCompletionSink& sink_;
  std::span<std::uint8_t> readBuffer_;
  bool cancelled_ = false;
  int failuresNested_ = 0;
};

class FakeKernel final : public Kernel {
 public:
  FakeKernel();
  ~FakeKernel() override;

  // Settings store. Key paths are absolute ("\Registry\Machine\...") and not case-sensitive.
  void SetValue(const std::string& keyPath, const std::string& name, std::uint32_t value);
  NtStatus QueryStatus = STATUS_SUCCESS;  // what every settings query returns

  // Clock, in 100-ns units since the kernel was made. Advancing it runs the routines of the timers
  // that fall due, in order.
  std::int64_t Now() const { return now_; }
  void Advance(std::int64_t units);
  void AdvanceMilliseconds(std::int64_t milliseconds) { Advance(milliseconds * kUnitsPerMillisecond); }

  // Called when a wait would block, before the clock is advanced by its time-out.
  std::function<void()> OnBlockingWait;

  // Called when a timer has been armed, before the caller goes on: a test may let time pass there,
  // as when the arming thread is held up.
  std::function<void()> OnTimerSet;

  // Runs the queued work items, as the system's worker threads do while time passes (Advance) and
  // while a thread waits.
  void RunWorkItems();

  // Tones: every speaker change, with its time; and a hook for every tone started, with the length
  // the driver armed for it (its tone-off timer is set just after the tone starts).
  struct ToneChange {
    std::int64_t Time;
    std::uint32_t Frequency;
    bool operator==(const ToneChange&) const = default;
  };
  std::vector<ToneChange> Tones;
  std::function<void(std::uint32_t frequency, std::int64_t milliseconds)> OnToneStarted;
  std::uint32_t CurrentTone() const { return Tones.empty() ? 0 : Tones.back().Frequency; }

  // Serial ports: a port opens once the clock has reached the time it was made available; with
  // AnyPortOpens every port name opens at once.
  void MakePortAvailable(const std::string& name, std::int64_t fromTime = 0);
  bool AnyPortOpens = false;
  FakeSerialPort* OpenedPort() const { return openedPort_; }
  std::vector<std::string> OpenAttempts;

  // Devices, links and the device map.
  std::map<std::string, DeviceDispatch*> Devices;
  std::map<std::string, std::string> Links;
  std::map<std::string, std::string> DeviceMap;  // "key\value name" -> data
  NtStatus CreateDeviceStatus = STATUS_SUCCESS;
  NtStatus CreateLinkStatus = STATUS_SUCCESS;
  NtStatus CreateThreadStatus = STATUS_SUCCESS;
  // Memory: none left for paged allocations, or for the kernel's objects.
  bool PagedMemoryExhausted = false;
  bool ObjectMemoryExhausted = false;

  // Sends a device-control request to the device behind a link, as a program would.
  NtStatus Control(const std::string& linkName, std::uint32_t code,
                   std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                   std::uint32_t* information = nullptr,
                   MajorFunction major = MajorFunction::DeviceControl);

  // Kernel
  NtStatus QueryRegistryValues(std::string_view keyPath,
                               std::span<const RegistryDwordQuery> entries) override;
  NtStatus WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                               std::string_view data) override;
  void* AllocatePaged(std::size_t bytes) override;
  void FreePaged(void* block) override;
  std::unique_ptr<KernelSpinLock> CreateSpinLock() override;
  std::unique_ptr<KernelEvent> CreateNotificationEvent() override;
  std::unique_ptr<KernelTimer> CreateTimer(std::function<void()> deferredRoutine) override;
  std::unique_ptr<KernelWorkItem> CreateWorkItem(std::function<void()> routine) override;
  std::unique_ptr<SystemThread> CreateSystemThread(std::function<void()> routine,
                                                   NtStatus& status) override;
  NtStatus CreateDevice(std::string_view deviceName, DeviceDispatch& dispatch) override;
  void DeleteDevice(std::string_view deviceName) override;
  NtStatus CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) override;
  void DeleteSymbolicLink(std::string_view linkName) override;
  std::unique_ptr<SerialPort> OpenSerialPort(std::string_view portName,
                                             ReadCompletionSink& completion,
                                             NtStatus& status) override;
  void MakeBeep(std::uint32_t frequency) override;

 private:
  friend class FakeEvent;
  friend class FakeTimer;
  friend class FakeSerialPort;
  class FakeTimer;
  class FakeWorkItem;

  NtStatus BlockingWait(const bool& signalled, std::optional<std::int64_t> timeout);
  void PortClosed(FakeSerialPort* port);

  std::int64_t now_ = 0;
  // Key paths and value names compare as the registry compares them, without regard to case, and
  // are looked up without a copy: the fuzzer stores and loads settings for every input.
  struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Values = std::map<std::string, std::uint32_t, CaseInsensitiveLess>;
  std::map<std::string, Values, CaseInsensitiveLess> store_;
  std::set<FakeTimer*> timers_;
  std::vector<FakeWorkItem*> workItems_;  // in the order they were made
  std::map<std::string, std::int64_t> ports_;
  FakeSerialPort* openedPort_ = nullptr;
  std::uint32_t toneAwaitingTimer_ = 0;  // a tone started whose tone-off timer is not yet set
};

}  // namespace qvtouch::driver
