#include "platform/kernel_nt/nt_serial_port.h"

#include <new>

#include "platform/kernel_nt/nt_objects.h"

namespace qvtouch::platform {
namespace {

// An MDL of a buffer in non-paged memory (the driver's image or non-paged pool), for a port that
// transfers directly; null when there is no memory for it.
PMDL DescribeNonPaged(std::span<std::uint8_t> buffer) {
  PMDL mdl = IoAllocateMdl(buffer.data(), static_cast<ULONG>(buffer.size()), FALSE, FALSE, nullptr);
  if (mdl != nullptr) MmBuildMdlForNonPagedPool(mdl);
  return mdl;
}

}  // namespace

std::unique_ptr<NtSerialPort> NtSerialPort::Open(PUNICODE_STRING name, PDEVICE_OBJECT owner,
                                                 driver::ReadCompletionSink& completion,
                                                 NtStatus& status) {
  PFILE_OBJECT file = nullptr;
  PDEVICE_OBJECT device = nullptr;
  status = IoGetDeviceObjectPointer(name, FILE_READ_DATA | FILE_WRITE_DATA, &file, &device);
  if (!NT_SUCCESS(status)) return nullptr;
  // The one read request, reused for every read for as long as the port is open. Without it
  // the port is given up again, and the serial link tries anew a second later.
  PIRP readRequest = IoAllocateIrp(device->StackSize, FALSE);
  std::unique_ptr<NtSerialPort> port(
      readRequest == nullptr
          ? nullptr
          : new (std::nothrow) NtSerialPort(completion, owner, file, device, readRequest));
  if (!port) {
    if (readRequest != nullptr) IoFreeIrp(readRequest);
    ObDereferenceObject(file);
    status = STATUS_INSUFFICIENT_RESOURCES;
  }
  return port;
}

NtSerialPort::~NtSerialPort() {
  WaitUntilIdle();
  readRequest_->MdlAddress = nullptr;  // the driver's own, freed here
  IoFreeIrp(readRequest_);
  if (readMdl_ != nullptr) IoFreeMdl(readMdl_);
  ObDereferenceObject(file_);
}

NtStatus NtSerialPort::DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) {
  KEVENT done;
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  IO_STATUS_BLOCK result{};
  PIRP request = IoBuildDeviceIoControlRequest(
      code, device_, const_cast<std::uint8_t*>(input.data()), static_cast<ULONG>(input.size()),
      nullptr, 0, FALSE, &done, &result);
  if (request == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  IoGetNextIrpStackLocation(request)->FileObject = file_;
  NTSTATUS status = IoCallDriver(device_, request);
  if (status == STATUS_PENDING) status = WaitFor(&done, std::nullopt);
  return NT_SUCCESS(status) ? result.Status : status;
}

NTSTATUS NtSerialPort::Prepare(PIRP irp, UCHAR major, std::span<std::uint8_t> buffer, PMDL mdl,
                               PIO_COMPLETION_ROUTINE completed, PVOID context) {
  if (device_->Flags & DO_BUFFERED_IO) {
    irp->AssociatedIrp.SystemBuffer = buffer.data();
  } else if (TransfersDirectly()) {
    if (mdl == nullptr && !buffer.empty()) return STATUS_INSUFFICIENT_RESOURCES;
    irp->MdlAddress = mdl;
  } else {
    irp->UserBuffer = buffer.data();
  }
  PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
  next->MajorFunction = major;
  next->FileObject = file_;
  if (major == IRP_MJ_READ) {
    next->Parameters.Read.Length = static_cast<ULONG>(buffer.size());
    next->Parameters.Read.ByteOffset.QuadPart = 0;
  } else {
    next->Parameters.Write.Length = static_cast<ULONG>(buffer.size());
    next->Parameters.Write.ByteOffset.QuadPart = 0;
  }
  // The kernel holds the driver's device while the routine runs, so that unload cannot let the
  // driver's image go before the routine has returned. It takes a small block for that, and
  // fails without one.
  return IoSetCompletionRoutineEx(owner_, irp, completed, context, TRUE, TRUE, TRUE);
}

NtStatus NtSerialPort::Read(std::span<std::uint8_t> buffer) {
  // The driver reads into one buffer for good: its MDL is made once.
  if (TransfersDirectly() &&
      (readMdl_ == nullptr || MmGetMdlVirtualAddress(readMdl_) != buffer.data())) {
    if (readMdl_ != nullptr) IoFreeMdl(readMdl_);
    readMdl_ = DescribeNonPaged(buffer);
  }
  readBuffer_ = buffer;
  return ReadChain::Read();
}

NtStatus NtSerialPort::CallPortDriver() {
  PIRP irp = readRequest_;
  IoReuseIrp(irp, STATUS_SUCCESS);
  const NTSTATUS status = Prepare(irp, IRP_MJ_READ, readBuffer_, readMdl_, ReadCompleted, this);
  if (!NT_SUCCESS(status)) {
    // A read that cannot be issued completes at once, with the reason.
    Completed([&] { completion_.ReadComplete(status, 0); });
    return status;
  }
  return IoCallDriver(device_, irp);
}

NTSTATUS NTAPI NtSerialPort::ReadCompleted(PDEVICE_OBJECT, PIRP irp, PVOID context) {
  auto& port = *static_cast<NtSerialPort*>(context);
  const NtStatus status = irp->IoStatus.Status;
  const auto transferred = static_cast<std::uint32_t>(irp->IoStatus.Information);
  port.Completed([&] { port.completion_.ReadComplete(status, transferred); });
  // The request stays the driver's, to be reused or freed.
  return STATUS_MORE_PROCESSING_REQUIRED;
}

void NtSerialPort::Pause() {
  LARGE_INTEGER interval;
  interval.QuadPart = -10'000;  // a millisecond
  KeDelayExecutionThread(KernelMode, FALSE, &interval);
}

// The write request is the driver's own until it is freed here: cancelling a write that has not
// finished in time touches a request that its completion cannot have freed.
NtStatus NtSerialPort::Write(std::span<const std::uint8_t> bytes, std::int64_t limit) {
  // The port driver only reads the buffer.
  const std::span<std::uint8_t> buffer(const_cast<std::uint8_t*>(bytes.data()), bytes.size());
  PIRP request = IoAllocateIrp(device_->StackSize, FALSE);
  if (request == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  PMDL mdl = TransfersDirectly() && !buffer.empty() ? DescribeNonPaged(buffer) : nullptr;
  KEVENT done;
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  NTSTATUS status = Prepare(request, IRP_MJ_WRITE, buffer, mdl, WriteCompleted, &done);
  if (NT_SUCCESS(status)) {
    IoCallDriver(device_, request);
    if (WaitFor(&done, limit) == STATUS_TIMEOUT) {
      IoCancelIrp(request);
      WaitFor(&done, std::nullopt);
    }
    status = request->IoStatus.Status;  // normally the cancel status when it was cancelled
  }
  request->MdlAddress = nullptr;
  if (mdl != nullptr) IoFreeMdl(mdl);
  IoFreeIrp(request);
  return status;
}

NTSTATUS NTAPI NtSerialPort::WriteCompleted(PDEVICE_OBJECT, PIRP, PVOID context) {
  KeSetEvent(static_cast<PKEVENT>(context), IO_NO_INCREMENT, FALSE);
  return STATUS_MORE_PROCESSING_REQUIRED;  // the writer frees the request
}

}  // namespace qvtouch::platform
