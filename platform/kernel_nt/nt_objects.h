// The kernel's synchronisation objects behind the driver's kernel interface: the spin lock,
// notification events, the one-shot timer with its DPC, work items and system threads. Each lives in
// non-paged memory, since the read completion and the DPC reach them at DISPATCH_LEVEL.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <new>

#include "driver/kernel.h"
#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

// Every object the driver makes comes from non-paged pool (operator new); null when there is none.
template <typename T, typename... Args>
std::unique_ptr<T> MakeNonPaged(Args&&... args) {
  return std::unique_ptr<T>(new (std::nothrow) T(std::forward<Args>(args)...));
}

class NtSpinLock final : public driver::KernelSpinLock {
 public:
  NtSpinLock() { KeInitializeSpinLock(&lock_); }
  void lock() override { oldIrql_ = KeAcquireSpinLockRaiseToDpc(&lock_); }
  void unlock() override { KeReleaseSpinLock(&lock_, oldIrql_); }

 private:
  KSPIN_LOCK lock_;
  KIRQL oldIrql_ = PASSIVE_LEVEL;  // written by the holder only
};

class NtEvent final : public driver::KernelEvent {
 public:
  NtEvent() { KeInitializeEvent(&event_, NotificationEvent, FALSE); }
  void Set() override { KeSetEvent(&event_, IO_NO_INCREMENT, FALSE); }
  void Clear() override { KeClearEvent(&event_); }
  NtStatus Wait(std::optional<std::int64_t> timeout) override;

 private:
  KEVENT event_;
};

class NtTimer final : public driver::KernelTimer {
 public:
  explicit NtTimer(std::function<void()> deferredRoutine);
  ~NtTimer() override;
  NtTimer(const NtTimer&) = delete;
  NtTimer& operator=(const NtTimer&) = delete;

  bool Set(std::int64_t dueTime) override;
  bool Cancel() override;

 private:
  static VOID NTAPI Deferred(PKDPC dpc, PVOID context, PVOID, PVOID);

  // The platform's timer does not wait for a DPC that is running, nor stop one that its expiry
  // has already queued. The routine therefore runs under lock_, which Set and Cancel take too, and
  // only for the arming still in force: a DPC that comes before that arming's due time is an
  // earlier expiry's, and does nothing.
  KSPIN_LOCK lock_;
  bool armed_ = false;
  ULONG64 dueAt_ = 0;  // in interrupt time
  KTIMER timer_;
  KDPC dpc_;
  std::function<void()> deferredRoutine_;
};

// The kernel's work item of the driver's device: while the routine is queued or running, the
// kernel holds the device, and with it the driver's image.
class NtWorkItem final : public driver::KernelWorkItem {
 public:
  // Null when there is no memory for it.
  static std::unique_ptr<NtWorkItem> Make(DEVICE_OBJECT& device, std::function<void()> routine);
  ~NtWorkItem() override;
  NtWorkItem(const NtWorkItem&) = delete;
  NtWorkItem& operator=(const NtWorkItem&) = delete;

  void Queue() override;

 private:
  NtWorkItem(PIO_WORKITEM item, std::function<void()> routine)
      : item_(item), routine_(std::move(routine)) {}
  static VOID NTAPI Run(PDEVICE_OBJECT, PVOID context);

  PIO_WORKITEM item_;
  std::function<void()> routine_;
  std::atomic<bool> queued_{false};  // the platform's work item may be queued only once at a time
};

class NtThread final : public driver::SystemThread {
 public:
  // Starts the thread; null, with the status, when it cannot.
  static std::unique_ptr<NtThread> Start(std::function<void()> routine, NtStatus& status);
  ~NtThread() override;
  NtThread(const NtThread&) = delete;
  NtThread& operator=(const NtThread&) = delete;

  void Join() override;

 private:
  explicit NtThread(std::function<void()> routine) : routine_(std::move(routine)) {}
  static VOID NTAPI Run(PVOID context);

  std::function<void()> routine_;
  // A kernel handle, kept until the thread has been waited for: it needs no reference to the
  // thread object, which could fail to be taken and leave nothing to wait on.
  HANDLE handle_ = nullptr;
};

// Waits at passive level in kernel mode, so that the waiting thread's stack stays resident: the
// read completion may write into a request whose record lives on that stack.
NtStatus WaitFor(PVOID object, std::optional<std::int64_t> timeout);

}  // namespace qvtouch::platform
