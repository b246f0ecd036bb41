#include "platform/kernel_host/host_kernel.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <thread>

#include "driver/spin_lock.h"
#include "platform/kernel_host/host_event.h"
#include "platform/kernel_host/host_timer.h"

namespace qvtouch::platform {
namespace {

// Object names are not case-sensitive.
std::string Lower(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return lower;
}

class HostThread final : public driver::SystemThread {
 public:
  explicit HostThread(std::function<void()> routine) : thread_(std::move(routine)) {}
  ~HostThread() override { Join(); }
  HostThread(const HostThread&) = delete;
  HostThread& operator=(const HostThread&) = delete;
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

// Work runs on a thread of its own, as the routine of a timer that falls due at once.
class HostWorkItem final : public driver::KernelWorkItem {
 public:
  explicit HostWorkItem(std::function<void()> routine) : timer_(std::move(routine)) {}
  void Queue() override { timer_.Set(0); }

 private:
  HostTimer timer_;
};

}  // namespace

driver::DeviceDispatch* HostKernel::FindDevice(std::string_view deviceName) {
  std::lock_guard guard(mutex_);
  const auto device = devices_.find(Lower(deviceName));
  return device == devices_.end() ? nullptr : device->second;
}

std::map<std::string, std::string> HostKernel::DeviceMapKey(std::string_view key) {
  std::lock_guard guard(mutex_);
  const auto found = deviceMap_.find(Lower(key));
  return found == deviceMap_.end() ? std::map<std::string, std::string>{} : found->second;
}

NtStatus HostKernel::QueryRegistryValues(std::string_view keyPath,
                                         std::span<const driver::RegistryDwordQuery> entries) {
  return services_.QueryValues(keyPath, entries);
}

// The device map is the kernel's own and lives only as long as it: it is rebuilt at every start.
NtStatus HostKernel::WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                                         std::string_view data) {
  std::lock_guard guard(mutex_);
  deviceMap_[Lower(key)][std::string(valueName)] = std::string(data);
  return STATUS_SUCCESS;
}

void* HostKernel::AllocatePaged(std::size_t bytes) { return ::operator new(bytes, std::nothrow); }

void HostKernel::FreePaged(void* block) { ::operator delete(block); }

std::unique_ptr<driver::KernelSpinLock> HostKernel::CreateSpinLock() {
  return std::make_unique<driver::SpinLock>();
}

std::unique_ptr<driver::KernelEvent> HostKernel::CreateNotificationEvent() {
  return std::make_unique<HostEvent>();
}

std::unique_ptr<driver::KernelTimer> HostKernel::CreateTimer(std::function<void()> deferredRoutine) {
  return std::make_unique<HostTimer>(std::move(deferredRoutine));
}

std::unique_ptr<driver::KernelWorkItem> HostKernel::CreateWorkItem(std::function<void()> routine) {
  return std::make_unique<HostWorkItem>(std::move(routine));
}

std::unique_ptr<driver::SystemThread> HostKernel::CreateSystemThread(std::function<void()> routine,
                                                                     NtStatus& status) {
  try {
    auto thread = std::make_unique<HostThread>(std::move(routine));
    status = STATUS_SUCCESS;
    return thread;
  } catch (const std::system_error&) {
    status = STATUS_INSUFFICIENT_RESOURCES;
    return nullptr;
  }
}

NtStatus HostKernel::CreateDevice(std::string_view deviceName, driver::DeviceDispatch& dispatch) {
  std::lock_guard guard(mutex_);
  const auto [device, created] = devices_.emplace(Lower(deviceName), &dispatch);
  return created ? STATUS_SUCCESS : STATUS_OBJECT_NAME_COLLISION;
}

void HostKernel::DeleteDevice(std::string_view deviceName) {
  std::lock_guard guard(mutex_);
  devices_.erase(Lower(deviceName));
}

NtStatus HostKernel::CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) {
  driver::DeviceDispatch* device = nullptr;
  {
    std::lock_guard guard(mutex_);
    const auto found = devices_.find(Lower(deviceName));
    if (found == devices_.end()) return STATUS_OBJECT_NAME_NOT_FOUND;
    if (links_.contains(Lower(linkName))) return STATUS_OBJECT_NAME_COLLISION;
    device = found->second;
  }
  // Outside the lock: publishing binds a socket.
  const NtStatus status = services_.PublishLink(linkName, *device);
  if (NT_SUCCESS(status)) {
    std::lock_guard guard(mutex_);
    links_.emplace(Lower(linkName), std::string(linkName));
  }
  return status;
}

void HostKernel::DeleteSymbolicLink(std::string_view linkName) {
  std::string published;
  {
    std::lock_guard guard(mutex_);
    const auto link = links_.find(Lower(linkName));
    if (link == links_.end()) return;
    published = link->second;
    links_.erase(link);
  }
  services_.WithdrawLink(published);
}

std::unique_ptr<driver::SerialPort> HostKernel::OpenSerialPort(std::string_view portName,
                                                               driver::ReadCompletionSink& completion,
                                                               NtStatus& status) {
  return services_.OpenSerialPort(portName, completion, status);
}

void HostKernel::MakeBeep(std::uint32_t frequency) { services_.MakeBeep(frequency); }

}  // namespace qvtouch::platform
