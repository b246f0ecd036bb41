// Gathers request frames from a non-blocking socket, in whatever pieces the client sends them.
// It reads no further than the end of the frame under way, so what follows stays in the socket,
// and it holds memory only while a frame is under way (at most one frame's worth).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/device/frame.h"

namespace qvtouch::platform {

class RequestReader {
 public:
  enum class Outcome {
    Waiting,    // the socket holds nothing more for now
    Complete,   // `frame` holds the next request
    Malformed,  // the stream is out of step for good; `error` says why
    Ended,      // the client closed the connection, or it failed
  };

  // Reads what the socket holds, up to the end of the next frame.
  Outcome Read(int socket, RequestFrame& frame, FrameError& error);

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t needed_ = kRequestHeaderSize;  // the header's length until the header is in
};

}  // namespace qvtouch::platform
