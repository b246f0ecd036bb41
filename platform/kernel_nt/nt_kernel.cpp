#include "platform/kernel_nt/nt_kernel.h"

#include "platform/kernel_nt/nt_objects.h"
#include "platform/kernel_nt/nt_serial_port.h"
#include "platform/kernel_nt/pool.h"
#include "platform/kernel_nt/unicode_text.h"

namespace qvtouch::platform {
namespace {

// What the device's extension holds: where its requests go.
struct DeviceExtension {
  driver::DeviceDispatch* Dispatch;
};

constexpr std::uint32_t TransferMethod(std::uint32_t code) {
  return code & 3;
}

// The request as the driver's dispatch routine takes it: its major function, and for device
// control its code and buffers. Buffered requests have their input and output in the system
// buffer; the class driver's internal requests without buffering pass kernel addresses. A
// program's request with any other transfer method names no request of the driver's and gets
// no buffers, so that nothing reads or writes an address the program chose.
driver::IoRequest RequestOf(PIRP irp) {
  const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  driver::IoRequest request;
  switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
      request.Major = driver::MajorFunction::Create;
      return request;
    case IRP_MJ_CLOSE:
      request.Major = driver::MajorFunction::Close;
      return request;
    case IRP_MJ_READ:
      request.Major = driver::MajorFunction::Read;
      return request;
    case IRP_MJ_WRITE:
      request.Major = driver::MajorFunction::Write;
      return request;
    default:
      break;
  }
  const bool internal = stack->MajorFunction == IRP_MJ_INTERNAL_DEVICE_CONTROL;
  const auto& parameters = stack->Parameters.DeviceIoControl;
  request.Major = internal ? driver::MajorFunction::InternalDeviceControl
                           : driver::MajorFunction::DeviceControl;
  request.IoControlCode = parameters.IoControlCode;
  const std::uint32_t method = TransferMethod(request.IoControlCode);
  if (method == METHOD_BUFFERED) {
    auto* buffer = static_cast<std::uint8_t*>(irp->AssociatedIrp.SystemBuffer);
    if (buffer != nullptr) {
      request.Input = {buffer, parameters.InputBufferLength};
      request.Output = {buffer, parameters.OutputBufferLength};
    }
  } else if (internal && method == METHOD_NEITHER) {
    if (parameters.Type3InputBuffer != nullptr) {
      request.Input = {static_cast<const std::uint8_t*>(parameters.Type3InputBuffer),
                       parameters.InputBufferLength};
    }
    if (irp->UserBuffer != nullptr) {
      request.Output = {static_cast<std::uint8_t*>(irp->UserBuffer), parameters.OutputBufferLength};
    }
  }
  return request;
}

}  // namespace

NtKernel::NtKernel(DRIVER_OBJECT& driverObject) : driverObject_(driverObject) {
  for (const UCHAR major : {IRP_MJ_CREATE, IRP_MJ_CLOSE, IRP_MJ_READ, IRP_MJ_WRITE,
                            IRP_MJ_DEVICE_CONTROL, IRP_MJ_INTERNAL_DEVICE_CONTROL}) {
    driverObject_.MajorFunction[major] = DispatchRequest;
  }
}

// Every request is completed inside its dispatch call, without a priority boost.
NTSTATUS NTAPI NtKernel::DispatchRequest(PDEVICE_OBJECT device, PIRP irp) {
  auto* extension = static_cast<DeviceExtension*>(device->DeviceExtension);
  driver::IoRequest request = RequestOf(irp);
  const NTSTATUS status = extension->Dispatch->Dispatch(request);
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = request.Information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

void* NtKernel::AllocatePaged(std::size_t bytes) {
  return AllocatePool(PagedPool, bytes);
}

void NtKernel::FreePaged(void* block) {
  FreePool(block);
}

std::unique_ptr<driver::KernelSpinLock> NtKernel::CreateSpinLock() {
  return MakeNonPaged<NtSpinLock>();
}

std::unique_ptr<driver::KernelEvent> NtKernel::CreateNotificationEvent() {
  return MakeNonPaged<NtEvent>();
}

std::unique_ptr<driver::KernelTimer> NtKernel::CreateTimer(std::function<void()> deferredRoutine) {
  return MakeNonPaged<NtTimer>(std::move(deferredRoutine));
}

std::unique_ptr<driver::KernelWorkItem> NtKernel::CreateWorkItem(std::function<void()> routine) {
  return device_ != nullptr ? NtWorkItem::Make(*device_, std::move(routine)) : nullptr;
}

std::unique_ptr<driver::SystemThread> NtKernel::CreateSystemThread(std::function<void()> routine,
                                                                   NtStatus& status) {
  return NtThread::Start(std::move(routine), status);
}

NtStatus NtKernel::CreateDevice(std::string_view deviceName, driver::DeviceDispatch& dispatch) {
  UnicodeText name(deviceName);
  if (!NT_SUCCESS(name.Status())) return name.Status();
  PDEVICE_OBJECT device = nullptr;
  const NTSTATUS status = IoCreateDevice(&driverObject_, sizeof(DeviceExtension), name.Get(),
                                         FILE_DEVICE_MOUSE, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  static_cast<DeviceExtension*>(device->DeviceExtension)->Dispatch = &dispatch;
  device->Flags |= DO_BUFFERED_IO;
  device_ = device;
  return STATUS_SUCCESS;
}

void NtKernel::DeleteDevice(std::string_view /*deviceName*/) {
  if (device_ == nullptr) return;
  IoDeleteDevice(device_);
  device_ = nullptr;
}

NtStatus NtKernel::CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) {
  UnicodeText link(linkName);
  UnicodeText device(deviceName);
  if (!NT_SUCCESS(link.Status())) return link.Status();
  if (!NT_SUCCESS(device.Status())) return device.Status();
  return IoCreateSymbolicLink(link.Get(), device.Get());
}

void NtKernel::DeleteSymbolicLink(std::string_view linkName) {
  UnicodeText link(linkName);
  if (NT_SUCCESS(link.Status())) IoDeleteSymbolicLink(link.Get());
}

std::unique_ptr<driver::SerialPort> NtKernel::OpenSerialPort(std::string_view portName,
                                                             driver::ReadCompletionSink& completion,
                                                             NtStatus& status) {
  UnicodeText name(portName);
  status = name.Status();
  if (!NT_SUCCESS(status)) return nullptr;
  return NtSerialPort::Open(name.Get(), device_, completion, status);
}

}  // namespace qvtouch::platform
