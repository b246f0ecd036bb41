#include "platform/kernel_nt/nt_objects.h"

namespace qvtouch::platform {

NtStatus WaitFor(PVOID object, std::optional<std::int64_t> timeout) {
  LARGE_INTEGER due;
  if (timeout) due.QuadPart = *timeout;
  const NTSTATUS status =
      KeWaitForSingleObject(object, Executive, KernelMode, FALSE, timeout ? &due : nullptr);
  return status == STATUS_TIMEOUT ? STATUS_TIMEOUT : STATUS_SUCCESS;
}

NtStatus NtEvent::Wait(std::optional<std::int64_t> timeout) {
  return WaitFor(&event_, timeout);
}

NtTimer::NtTimer(std::function<void()> deferredRoutine)
    : deferredRoutine_(std::move(deferredRoutine)) {
  KeInitializeSpinLock(&lock_);
  KeInitializeTimer(&timer_);
  KeInitializeDpc(&dpc_, Deferred, this);
}

NtTimer::~NtTimer() {
  // A DPC already queued or running must finish before the routine it calls goes away.
  KeCancelTimer(&timer_);
  KeFlushQueuedDpcs();
}

bool NtTimer::Set(std::int64_t dueTime) {
  LARGE_INTEGER due;
  due.QuadPart = dueTime;
  KIRQL irql = KeAcquireSpinLockRaiseToDpc(&lock_);
  const bool wasArmed = armed_;
  armed_ = true;
  // Taken before the timer is set, so that the platform's own due time is never earlier.
  dueAt_ = KeQueryInterruptTime() + static_cast<ULONG64>(-dueTime);
  KeSetTimer(&timer_, due, &dpc_);
  KeReleaseSpinLock(&lock_, irql);
  return wasArmed;
}

bool NtTimer::Cancel() {
  KIRQL irql = KeAcquireSpinLockRaiseToDpc(&lock_);
  const bool wasArmed = armed_;
  armed_ = false;
  KeCancelTimer(&timer_);
  KeReleaseSpinLock(&lock_, irql);
  return wasArmed;
}

VOID NTAPI NtTimer::Deferred(PKDPC, PVOID context, PVOID, PVOID) {
  auto& timer = *static_cast<NtTimer*>(context);
  KeAcquireSpinLockAtDpcLevel(&timer.lock_);
  if (timer.armed_ && KeQueryInterruptTime() >= timer.dueAt_) {
    timer.armed_ = false;
    timer.deferredRoutine_();
  }
  KeReleaseSpinLockFromDpcLevel(&timer.lock_);
}

std::unique_ptr<NtWorkItem> NtWorkItem::Make(DEVICE_OBJECT& device,
                                             std::function<void()> routine) {
  PIO_WORKITEM item = IoAllocateWorkItem(&device);
  if (item == nullptr) return nullptr;
  std::unique_ptr<NtWorkItem> work(new (std::nothrow) NtWorkItem(item, std::move(routine)));
  if (!work) IoFreeWorkItem(item);
  return work;
}

NtWorkItem::~NtWorkItem() { IoFreeWorkItem(item_); }

void NtWorkItem::Queue() {
  if (!queued_.exchange(true)) IoQueueWorkItem(item_, Run, DelayedWorkQueue, this);
}

VOID NTAPI NtWorkItem::Run(PDEVICE_OBJECT, PVOID context) {
  auto& work = *static_cast<NtWorkItem*>(context);
  work.queued_.store(false);  // queued again from here on, the routine runs again
  work.routine_();
}

std::unique_ptr<NtThread> NtThread::Start(std::function<void()> routine, NtStatus& status) {
  std::unique_ptr<NtThread> thread(new (std::nothrow) NtThread(std::move(routine)));
  if (!thread) {
    status = STATUS_INSUFFICIENT_RESOURCES;
    return nullptr;
  }
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, nullptr, OBJ_KERNEL_HANDLE, nullptr, nullptr);
  HANDLE handle = nullptr;
  status = PsCreateSystemThread(&handle, THREAD_ALL_ACCESS, &attributes, nullptr, nullptr, Run,
                                thread.get());
  if (!NT_SUCCESS(status)) return nullptr;
  thread->handle_ = handle;
  return thread;
}

NtThread::~NtThread() {
  if (handle_ == nullptr) return;
  Join();
  ZwClose(handle_);
}

void NtThread::Join() {
  if (handle_ != nullptr) ZwWaitForSingleObject(handle_, FALSE, nullptr);
}

VOID NTAPI NtThread::Run(PVOID context) {
  static_cast<NtThread*>(context)->routine_();
  PsTerminateSystemThread(STATUS_SUCCESS);
}

}  // namespace qvtouch::platform
