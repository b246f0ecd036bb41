// Driver start and unload.
#include <mutex>

#include "driver/driver.h"

namespace qvtouch::driver {

TouchDriver::TouchDriver(Kernel& kernel) : kernel_(kernel) {}

TouchDriver::~TouchDriver() { Unload(); }

NtStatus TouchDriver::DriverEntry(std::string_view registryPath) {
  context_ = DriverContext{};
  if (!context_.RegistryPath.Assign(kernel_, {registryPath})) return STATUS_ALLOTTED_SPACE_EXCEEDED;

  // The lock, the events and the tone timer exist from the start, so that a control request that
  // arrives before the port opens (a capture, a test beep) finds them ready.
  lock_ = kernel_.CreateSpinLock();
  context_.PassThroughDone = kernel_.CreateNotificationEvent();
  context_.PacketCaptured = kernel_.CreateNotificationEvent();
  context_.BeepTimer = kernel_.CreateTimer([this] { BeepDpc(); });
  linkTimer_ = kernel_.CreateTimer([this] { LinkTimerExpired(); });
  portIdle_ = kernel_.CreateNotificationEvent();
  workerStop_ = kernel_.CreateNotificationEvent();
  readsStopped_ = kernel_.CreateNotificationEvent();
  requestsDrained_ = kernel_.CreateNotificationEvent();
  linkStarted_ = false;
  linkState_ = LinkState::Reading;
  portUsers_ = 0;
  requestsInFlight_ = 0;
  unloading_ = false;

  const auto release = [this] { context_ = DriverContext{}; };
  if (!lock_ || !context_.PassThroughDone || !context_.PacketCaptured || !context_.BeepTimer ||
      !linkTimer_ || !portIdle_ || !workerStop_ || !readsStopped_ || !requestsDrained_) {
    release();
    return STATUS_INSUFFICIENT_RESOURCES;
  }

  NtStatus status = LoadSettings();
  if (!NT_SUCCESS(status)) {
    release();
    return status;
  }
  status = kernel_.CreateDevice(kPointerPortDeviceName, *this);
  if (!NT_SUCCESS(status)) {
    release();
    return status;
  }
  status = kernel_.CreateSymbolicLink(kControlLinkName, kPointerPortDeviceName);
  if (!NT_SUCCESS(status)) {
    kernel_.DeleteDevice(kPointerPortDeviceName);
    release();
    return status;
  }
  linkWork_ = kernel_.CreateWorkItem([this] { LinkWork(); });  // it belongs to the device
  if (!linkWork_) {
    kernel_.DeleteSymbolicLink(kControlLinkName);
    kernel_.DeleteDevice(kPointerPortDeviceName);
    release();
    return STATUS_INSUFFICIENT_RESOURCES;
  }
  extension_ = DeviceExtension{};
  context_.Extension = &extension_;
  // Without the device map entry the class driver does not find the port; the driver runs anyway.
  kernel_.WriteDeviceMapValue(kDeviceMapKey, kPointerPortDeviceName, registryPath);

  {
    std::lock_guard guard(*lock_);
    context_.HoldCount = 0;
    context_.RBNDelay = kDefaultRBNDelay;
    context_.RightClickDone = 1;  // no hold right-click before the first move
  }

  status = StartSerialWorker();
  if (!NT_SUCCESS(status)) {
    linkWork_.reset();
    kernel_.DeleteSymbolicLink(kControlLinkName);
    kernel_.DeleteDevice(kPointerPortDeviceName);
    release();
    return status;
  }
  return STATUS_SUCCESS;
}

NtStatus TouchDriver::Dispatch(IoRequest& request) {
  {
    std::lock_guard guard(*lock_);
    if (unloading_) return STATUS_DELETE_PENDING;
    ++requestsInFlight_;
  }
  const NtStatus status = DispatchRequest(request);
  std::lock_guard guard(*lock_);
  if (--requestsInFlight_ == 0 && unloading_) requestsDrained_->Set();
  return status;
}

// Unload refuses new requests, wakes a request that waits for a report or a reply (it completes
// as cancelled) and lets every request leave the driver before it releases anything they use.
void TouchDriver::Unload() {
  if (context_.Extension == nullptr) return;

  bool drained = false;
  {
    std::lock_guard guard(*lock_);
    unloading_ = true;
    WriteFlag(context_.StopReads, kStopRequested);  // from here on nothing restarts the link
    if (context_.PendingRequest != nullptr) {
      context_.PassThroughDone->Set();
      context_.PacketCaptured->Set();
    }
    drained = requestsInFlight_ == 0;
  }
  // The worker may still be polling for the port.
  workerStop_->Set();
  worker_->Join();
  worker_.reset();
  if (!drained) requestsDrained_->Wait(std::nullopt);

  // The port and its read are released only once the link has stopped.
  StopLink();
  linkWork_.reset();
  // Nothing starts a tone any more. A tone whose switch-off is still due must not outlive the
  // driver; with none sounding the speaker is left alone.
  if (context_.BeepTimer->Cancel()) kernel_.MakeBeep(0);
  kernel_.DeleteSymbolicLink(kControlLinkName);
  kernel_.DeleteDevice(kPointerPortDeviceName);
  extension_.SerialDevice.reset();
  context_.Extension = nullptr;
  context_.RegistryPath.Release();
}

}  // namespace qvtouch::driver
