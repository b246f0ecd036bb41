#include "platform/device/device_channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/device/device_name.h"

namespace qvtouch::platform {

std::string_view ChannelErrorText(ChannelError error) {
  switch (error) {
    case ChannelError::None: return "no error";
    case ChannelError::NoSuchDevice: return "no such device";
    case ChannelError::AccessDenied: return "access denied";
    case ChannelError::TooLong: return "buffer longer than the control device allows";
    case ChannelError::ConnectionLost: return "connection to the driver host lost";
  }
  return "unknown error";
}

std::string RefusalText(NtStatus status, std::uint32_t limit) {
  const std::string count = std::to_string(limit);
  switch (status) {
    case STATUS_REQUEST_NOT_ACCEPTED:
      return "the driver host refused the connection: it serves at most " + count +
             " connections at once, and that many are open";
    case STATUS_QUOTA_EXCEEDED:
      return "the driver host refused the connection: it serves at most " + count +
             " connections of one user at once, and that many of yours are open";
    case STATUS_TOO_MANY_OPENED_FILES:
      return "the driver host refused the connection: it has used up its limit of " + count +
             " open files";
    default: return {};
  }
}

std::unique_ptr<DeviceChannel> DeviceChannel::Connect(std::string_view deviceName,
                                                      ChannelError& error) {
  error = ChannelError::NoSuchDevice;
  const auto key = DeviceKey(deviceName);
  if (!key) return nullptr;
  const auto address = SocketAddress(DeviceSocketPath(*key));
  if (!address) return nullptr;
  UniqueFd socket = NewStreamSocket();
  if (!socket.Valid()) {
    error = ChannelError::ConnectionLost;
    return nullptr;
  }
  int result = 0;
  do {
    result = ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address));
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    if (errno == EACCES || errno == EPERM) error = ChannelError::AccessDenied;
    return nullptr;
  }
  error = ChannelError::None;
  return std::unique_ptr<DeviceChannel>(new DeviceChannel(std::move(socket)));
}

ChannelError DeviceChannel::Call(driver::MajorFunction major, std::uint32_t ioControlCode,
                                 std::span<const std::uint8_t> input, std::uint32_t outputLength,
                                 DeviceReply& reply) {
  if (input.size() > kMaxBufferLength || outputLength > kMaxBufferLength) {
    return ChannelError::TooLong;
  }
  SocketStream stream(socket_.Get());
  const bool sent = stream.WriteAll(EncodeRequest(major, ioControlCode, input, outputLength));
  // A server that refuses the connection answers before it reads anything and closes it, so the
  // request may not go through: its answer is read all the same.
  const ReadExact read = [&stream](std::span<std::uint8_t> bytes) {
    return stream.ReadExact(bytes);
  };
  if (ReadReply(read, outputLength, reply) != FrameError::None) return ChannelError::ConnectionLost;
  if (!sent && !IsRefusal(reply.Status)) return ChannelError::ConnectionLost;
  return ChannelError::None;
}

bool DeviceChannel::StillOpen() const {
  // Between requests the server sends nothing: anything readable is its end of the connection.
  pollfd idle{socket_.Get(), POLLIN | POLLRDHUP, 0};
  return ::poll(&idle, 1, 0) == 0;
}

ChannelError CallDevice(std::string_view deviceName, std::uint32_t ioControlCode,
                        std::span<const std::uint8_t> input, std::uint32_t outputLength,
                        DeviceReply& reply) {
  ChannelError error = ChannelError::None;
  const auto channel = DeviceChannel::Connect(deviceName, error);
  if (!channel) return error;
  DeviceReply opened;
  error = channel->Call(driver::MajorFunction::Create, 0, {}, 0, opened);
  if (error != ChannelError::None) return error;
  if (!NT_SUCCESS(opened.Status)) {
    reply = opened;
    return ChannelError::None;
  }
  error = channel->Call(driver::MajorFunction::DeviceControl, ioControlCode, input, outputLength,
                        reply);
  DeviceReply closed;
  if (error == ChannelError::None) channel->Call(driver::MajorFunction::Close, 0, {}, 0, closed);
  return error;
}

}  // namespace qvtouch::platform
