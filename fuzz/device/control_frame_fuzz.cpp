// Any byte stream as a connection's requests: the server's frame decoding reads frame after frame
// until one is malformed or the stream ends. Every frame it accepts stays within the limits and
// encodes back to the very bytes it was read from; its reply decodes to what was encoded. The same
// bytes are also read as a reply, as a program's client would.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/device/frame.h"

namespace {

using namespace qvtouch::platform;

ReadExact ReaderOf(std::span<const std::uint8_t>& stream) {
  return [&stream](std::span<std::uint8_t> bytes) {
    if (bytes.size() > stream.size()) return false;
    std::copy_n(stream.begin(), bytes.size(), bytes.begin());
    stream = stream.subspan(bytes.size());
    return true;
  };
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckReplyRoundTrip(const RequestFrame& frame) {
  // Any status and Information, with an output that holds the input's bytes.
  std::vector<std::uint8_t> output(frame.OutputLength);
  std::copy_n(frame.Input.begin(), std::min(frame.Input.size(), output.size()), output.begin());
  const auto information = frame.IoControlCode;
  const auto status = static_cast<qvtouch::NtStatus>(frame.IoControlCode ^ frame.OutputLength);
  const auto encoded = EncodeReply(status, information, output);
  std::span<const std::uint8_t> stream(encoded);
  ReplyFrame reply;
  Check(ReadReply(ReaderOf(stream), frame.OutputLength, reply) == FrameError::None);
  Check(stream.empty() && reply.Status == status && reply.Information == information);
  Check(std::equal(reply.Output.begin(), reply.Output.end(), output.begin()));
  Check(reply.Output.size() == std::min<std::size_t>(information, output.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> stream(data, size);
  const ReadExact read = ReaderOf(stream);
  for (;;) {
    const auto start = stream;
    RequestFrame frame;
    const FrameError error = ReadRequest(read, frame);
    if (error != FrameError::None) {
      Check(!FrameErrorText(error).empty() && !qvtouch::NT_SUCCESS(FrameErrorStatus(error)));
      break;
    }
    Check(frame.Input.size() <= kMaxBufferLength && frame.OutputLength <= kMaxBufferLength);
    const auto encoded = EncodeRequest(frame.Major, frame.IoControlCode, frame.Input,
                                       frame.OutputLength);
    const std::size_t consumed = start.size() - stream.size();
    Check(encoded.size() == consumed && std::equal(encoded.begin(), encoded.end(), start.begin()));
    CheckReplyRoundTrip(frame);
  }

  std::span<const std::uint8_t> replyStream(data, size);
  ReplyFrame reply;
  if (ReadReply(ReaderOf(replyStream), kMaxBufferLength, reply) == FrameError::None) {
    Check(reply.Output.size() == std::min<std::size_t>(reply.Information, kMaxBufferLength));
  }
  return 0;
}
