#include "platform/device/request_reader.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <span>

namespace qvtouch::platform {

RequestReader::Outcome RequestReader::Read(int socket, RequestFrame& frame, FrameError& error) {
  for (;;) {
    const std::size_t held = bytes_.size();
    bytes_.resize(needed_);
    const ssize_t received = ::recv(socket, bytes_.data() + held, needed_ - held, MSG_DONTWAIT);
    bytes_.resize(held + static_cast<std::size_t>(std::max<ssize_t>(received, 0)));
    if (received == 0) return Outcome::Ended;
    if (received < 0) {
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK ? Outcome::Waiting : Outcome::Ended;
    }
    if (bytes_.size() < needed_) continue;
    if (needed_ == kRequestHeaderSize) {
      // The header is in: it is checked before any of its payload is awaited.
      error = RequestFrameSize(std::span(bytes_).first<kRequestHeaderSize>(), needed_);
      if (error != FrameError::None) return Outcome::Malformed;
      if (needed_ > kRequestHeaderSize) continue;
    }
    std::size_t offset = 0;
    const ReadExact fromBytes = [this, &offset](std::span<std::uint8_t> part) {
      std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), part.size(), part.begin());
      offset += part.size();
      return true;
    };
    error = ReadRequest(fromBytes, frame);
    std::vector<std::uint8_t>().swap(bytes_);
    needed_ = kRequestHeaderSize;
    return error == FrameError::None ? Outcome::Complete : Outcome::Malformed;
  }
}

}  // namespace qvtouch::platform
