#include "platform/kernel_nt/nt_serial_port.h"

#include <new>

#include "platform/kernel_nt/nt_objects.h"

namespace qvtouch::platform {

std::unique_ptr<NtSerialPort> NtSerialPort::Open(PUNICODE_STRING name,
                                                 driver::ReadCompletionSink& completion,
                                                 NtStatus& status) {
  PFILE_OBJECT file = nullptr;
  PDEVICE_OBJECT device = nullptr;
  status = IoGetDeviceObjectPointer(name, FILE_READ_DATA | FILE_WRITE_DATA, &file, &device);
  if (!NT_SUCCESS(status)) return nullptr;
  // The one read request, reused for every read for as long as the port is open. Without it
  // the port is given up again, and the serial link tries anew a second later.
  PIRP readRequest = IoAllocateIrp(device->StackSize, FALSE);
  std::unique_ptr<NtSerialPort> port(readRequest == nullptr
                                         ? nullptr
                                         : new (std::nothrow)
                                               NtSerialPort(completion, file, device, readRequest));
  if (!port) {
    if (readRequest != nullptr) IoFreeIrp(readRequest);
    ObDereferenceObject(file);
    status = STATUS_INSUFFICIENT_RESOURCES;
  }
  return port;
}

NtSerialPort::~NtSerialPort() {
  WaitUntilIdle();
  IoFreeIrp(readRequest_);
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
  NTSTATUS status = IoCallDriver(device_, request);
  if (status == STATUS_PENDING) status = WaitFor(&done, std::nullopt);
  return NT_SUCCESS(status) ? result.Status : status;
}

NtStatus NtSerialPort::Read(std::span<std::uint8_t> buffer) {
  readBuffer_ = buffer;
  return ReadChain::Read();
}

NtStatus NtSerialPort::CallPortDriver() {
  PIRP irp = readRequest_;
  IoReuseIrp(irp, STATUS_SUCCESS);
  irp->AssociatedIrp.SystemBuffer = readBuffer_.data();
  PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
  next->MajorFunction = IRP_MJ_READ;
  next->Parameters.Read.Length = static_cast<ULONG>(readBuffer_.size());
  next->Parameters.Read.ByteOffset.QuadPart = 0;
  IoSetCompletionRoutine(irp, ReadCompleted, this, TRUE, TRUE, TRUE);
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

NtStatus NtSerialPort::Write(std::span<const std::uint8_t> bytes, std::int64_t limit) {
  KEVENT done;
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  IO_STATUS_BLOCK result{};
  LARGE_INTEGER offset{};
  PIRP request =
      IoBuildSynchronousFsdRequest(IRP_MJ_WRITE, device_, const_cast<std::uint8_t*>(bytes.data()),
                                   static_cast<ULONG>(bytes.size()), &offset, &done, &result);
  if (request == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  if (IoCallDriver(device_, request) != STATUS_PENDING) return result.Status;
  // A write that the port does not finish in time is cancelled, and ends with its own status.
  if (WaitFor(&done, limit) == STATUS_TIMEOUT) {
    IoCancelIrp(request);
    WaitFor(&done, std::nullopt);
  }
  return result.Status;
}

}  // namespace qvtouch::platform
