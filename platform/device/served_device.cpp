#include "platform/device/served_device.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace qvtouch::platform {
namespace {

constexpr int kBackOffMilliseconds = 100;

}  // namespace

ServedDevice::ServedDevice(std::unique_ptr<DeviceListener> listener,
                           driver::DeviceDispatch& dispatch)
    : listener_(std::move(listener)), dispatch_(dispatch) {}

ServedDevice::~ServedDevice() { Join(); }

bool ServedDevice::Start() {
  if (!stop_.Valid()) return false;
  try {
    acceptor_ = std::thread([this] { AcceptConnections(); });
  } catch (const std::system_error& error) {
    errno = error.code().value();
    return false;
  }
  return true;
}

void ServedDevice::Stop() {
  stop_.Raise();
  if (acceptor_.joinable()) acceptor_.join();
  listener_.reset();
}

void ServedDevice::Join() {
  Stop();
  for (Connection& connection : connections_) connection.Thread.join();
  connections_.clear();
}

void ServedDevice::AcceptConnections() {
  std::array fds{pollfd{listener_->Fd(), POLLIN, 0}, pollfd{stop_.Fd(), POLLIN, 0}};
  for (;;) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      if (BackOff()) return;
      continue;
    }
    if (fds[1].revents != 0) return;
    UniqueFd socket(::accept4(listener_->Fd(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket.Valid()) {
      // Out of descriptors or memory, the pending connection stays queued: wait, then retry.
      const bool transient = errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                             errno == ECONNABORTED;
      if (!transient && BackOff()) return;
      continue;
    }
    JoinFinishedConnections();
    // Over the limit the connection is closed at once: its client's call fails.
    if (connections_.size() < kMaxConnections) StartConnection(std::move(socket));
  }
}

bool ServedDevice::BackOff() {
  pollfd stop{stop_.Fd(), POLLIN, 0};
  return ::poll(&stop, 1, kBackOffMilliseconds) > 0;
}

void ServedDevice::StartConnection(UniqueFd socket) {
  Connection& connection = connections_.emplace_back();
  try {
    connection.Thread = std::thread([this, &connection, socket = std::move(socket)]() mutable {
      ServeConnection(socket.Get());
      socket.Reset();  // the client sees the end before the thread is reaped
      connection.Finished.store(true);
    });
  } catch (const std::system_error&) {
    connections_.pop_back();  // no thread: the socket closes with the failed task
  }
}

void ServedDevice::JoinFinishedConnections() {
  connections_.remove_if([](Connection& connection) {
    if (!connection.Finished.load()) return false;
    connection.Thread.join();
    return true;
  });
}

void ServedDevice::ServeConnection(int socket) {
  const std::array stops{stop_.Fd()};
  SocketStream stream(socket, stops);
  const ReadExact read = [&stream](std::span<std::uint8_t> bytes) {
    return stream.ReadExact(bytes);
  };
  while (!stop_.Raised()) {
    RequestFrame frame;
    const FrameError error = ReadRequest(read, frame);
    if (error == FrameError::Incomplete) return;  // the client left, or the server stops
    if (error != FrameError::None) {
      // The stream is out of step: answer once, then drop the connection.
      stream.WriteAll(EncodeReply(FrameErrorStatus(error), 0, {}));
      return;
    }
    // A client that left meanwhile loses its reply; nobody else notices.
    if (!stream.WriteAll(Answer(frame))) return;
  }
}

std::vector<std::uint8_t> ServedDevice::Answer(const RequestFrame& frame) {
  if (stop_.Raised()) return EncodeReply(STATUS_DELETE_PENDING, 0, {});
  // A buffered request has one system buffer: the output is written over the input.
  std::vector<std::uint8_t> buffer(frame.OutputLength, 0);
  std::copy_n(frame.Input.begin(), std::min(frame.Input.size(), buffer.size()), buffer.begin());
  driver::IoRequest request{frame.Major, frame.IoControlCode, frame.Input, buffer, 0};
  const NtStatus status = dispatch_.Dispatch(request);
  return EncodeReply(status, request.Information, buffer);
}

}  // namespace qvtouch::platform
