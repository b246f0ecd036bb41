#include "platform/device/control_server.h"

#include <cerrno>
#include <cstring>

#include "platform/device/device_name.h"
#include "platform/device/served_device.h"

namespace qvtouch::platform {

ControlDeviceServer::ControlDeviceServer(const ConnectionLimits& limits) : limits_(limits) {}

ControlDeviceServer::~ControlDeviceServer() { Join(); }

ServeResult ControlDeviceServer::Serve(std::string_view linkName,
                                       driver::DeviceDispatch& dispatch) {
  const auto key = DeviceKey(linkName);
  if (!key) {
    return {STATUS_INVALID_PARAMETER, "not a device name: \"" + std::string(linkName) + "\""};
  }
  std::lock_guard guard(mutex_);
  if (stopped_) return {STATUS_UNSUCCESSFUL, "the control device server is shutting down"};
  if (devices_.contains(*key)) {
    return {STATUS_OBJECT_NAME_COLLISION, "device name taken: " + *key + " is already served"};
  }
  std::unique_ptr<DeviceListener> listener;
  ServeResult result = DeviceListener::Open(*key, listener);
  if (!NT_SUCCESS(result.Status)) return result;
  auto device = std::make_unique<ServedDevice>(std::move(listener), dispatch, limits_);
  if (!device->Start()) {
    return {STATUS_INSUFFICIENT_RESOURCES,
            "cannot start serving " + *key + ": " + std::strerror(errno)};
  }
  devices_.emplace(*key, std::move(device));
  return result;
}

void ControlDeviceServer::Withdraw(std::string_view linkName) {
  const auto key = DeviceKey(linkName);
  if (!key) return;
  std::unique_ptr<ServedDevice> device;
  {
    std::lock_guard guard(mutex_);
    const auto found = devices_.find(*key);
    if (found == devices_.end()) return;
    device = std::move(found->second);
    devices_.erase(found);
  }
  device->Join();
}

void ControlDeviceServer::StopServing() {
  std::lock_guard guard(mutex_);
  stopped_ = true;
  for (auto& [key, device] : devices_) device->Stop();
}

void ControlDeviceServer::Join() {
  std::map<std::string, std::unique_ptr<ServedDevice>> devices;
  {
    std::lock_guard guard(mutex_);
    stopped_ = true;
    devices.swap(devices_);
  }
  for (auto& [key, device] : devices) device->Join();
}

}  // namespace qvtouch::platform
