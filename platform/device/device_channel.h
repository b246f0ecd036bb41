// A program's connection to a served device, and the raw request call for tools.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/status.h"
#include "driver/kernel.h"
#include "platform/device/frame.h"
#include "platform/posix/unix_socket.h"

namespace qvtouch::platform {

// Why a request did not reach the device, or its reply did not come back.
enum class ChannelError {
  None,
  NoSuchDevice,    // not a device name, no socket, or nobody listening
  AccessDenied,    // the socket's permissions exclude this user
  TooLong,         // an input or output beyond the framing's limit
  ConnectionLost,  // the server went away or answered out of step
};

std::string_view ChannelErrorText(ChannelError error);

// Why the driver host refused a connection, for a person, when the reply is a refusal (see
// frame.h); empty otherwise.
std::string RefusalText(NtStatus status, std::uint32_t limit);

// The driver's completion of one request: its status, Information and first Information output
// bytes.
using DeviceReply = ReplyFrame;

// One connection; requests on it take turns. After ConnectionLost, or a reply that refuses the
// connection (IsRefusal), it is of no further use.
class DeviceChannel {
 public:
  // Connects to the device served under the name ("\\.\qvtouch"); null with the reason on failure.
  static std::unique_ptr<DeviceChannel> Connect(std::string_view deviceName, ChannelError& error);

  // Sends one request and waits for its completion, however long the driver takes.
  ChannelError Call(driver::MajorFunction major, std::uint32_t ioControlCode,
                    std::span<const std::uint8_t> input, std::uint32_t outputLength,
                    DeviceReply& reply);

  // Whether an idle connection is still open: the server closes one that stays idle too long.
  bool StillOpen() const;

 private:
  explicit DeviceChannel(UniqueFd socket) : socket_(std::move(socket)) {}
  UniqueFd socket_;
};

// For tools: opens the device, sends one device-control request and closes it again, returning
// the driver's own status, Information and output bytes.
ChannelError CallDevice(std::string_view deviceName, std::uint32_t ioControlCode,
                        std::span<const std::uint8_t> input, std::uint32_t outputLength,
                        DeviceReply& reply);

}  // namespace qvtouch::platform
