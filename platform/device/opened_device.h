// What a device handle stands for: the device's name and a pool of idle connections to it. Each
// call borrows a connection (or makes a new one) for the time of one request, so calls from
// several threads on one handle run side by side. A pooled connection that the server has closed
// meanwhile (it closes idle ones) is dropped, and the call connects anew: a handle stays usable
// however long its program leaves it idle.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/device/device_channel.h"

namespace qvtouch::platform {

class OpenedDevice {
 public:
  // Opens the device: connects and sends the create request. Null when the device cannot be
  // reached; otherwise the file, whose create completion is in `opened` (it may have failed).
  static std::unique_ptr<OpenedDevice> Open(std::string name, ChannelError& error,
                                          DeviceReply& opened);

  ChannelError Call(driver::MajorFunction major, std::uint32_t ioControlCode,
                    std::span<const std::uint8_t> input, std::uint32_t outputLength,
                    DeviceReply& reply);

 private:
  OpenedDevice(std::string name, std::unique_ptr<DeviceChannel> channel);
  std::unique_ptr<DeviceChannel> Borrow(ChannelError& error);
  void GiveBack(std::unique_ptr<DeviceChannel> channel);

  const std::string name_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<DeviceChannel>> idle_;
};

}  // namespace qvtouch::platform
