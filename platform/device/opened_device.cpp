#include "platform/device/opened_device.h"

namespace qvtouch::platform {
namespace {

// Idle connections kept per handle; more are closed when they come back.
constexpr std::size_t kMaxIdleChannels = 4;

}  // namespace

std::unique_ptr<OpenedDevice> OpenedDevice::Open(std::string name, ChannelError& error,
                                              DeviceReply& opened) {
  auto channel = DeviceChannel::Connect(name, error);
  if (!channel) return nullptr;
  error = channel->Call(driver::MajorFunction::Create, 0, {}, 0, opened);
  if (error != ChannelError::None) return nullptr;
  return std::unique_ptr<OpenedDevice>(new OpenedDevice(std::move(name), std::move(channel)));
}

OpenedDevice::OpenedDevice(std::string name, std::unique_ptr<DeviceChannel> channel)
    : name_(std::move(name)) {
  idle_.push_back(std::move(channel));
}

ChannelError OpenedDevice::Call(driver::MajorFunction major, std::uint32_t ioControlCode,
                              std::span<const std::uint8_t> input, std::uint32_t outputLength,
                              DeviceReply& reply) {
  ChannelError error = ChannelError::None;
  auto channel = Borrow(error);
  if (!channel) return error;
  error = channel->Call(major, ioControlCode, input, outputLength, reply);
  // A channel whose connection was lost or refused is of no further use: it is dropped.
  if (error != ChannelError::ConnectionLost && !IsRefusal(reply.Status)) {
    GiveBack(std::move(channel));
  }
  return error;
}

std::unique_ptr<DeviceChannel> OpenedDevice::Borrow(ChannelError& error) {
  {
    std::lock_guard guard(mutex_);
    while (!idle_.empty()) {
      auto channel = std::move(idle_.back());
      idle_.pop_back();
      if (channel->StillOpen()) return channel;  // one the server closed for idleness goes
    }
  }
  auto channel = DeviceChannel::Connect(name_, error);
  // The device existed when the handle was opened: now it is gone.
  if (!channel && error == ChannelError::NoSuchDevice) error = ChannelError::ConnectionLost;
  return channel;
}

void OpenedDevice::GiveBack(std::unique_ptr<DeviceChannel> channel) {
  std::lock_guard guard(mutex_);
  if (idle_.size() < kMaxIdleChannels) idle_.push_back(std::move(channel));
}

}  // namespace qvtouch::platform
