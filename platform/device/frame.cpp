#include "platform/device/frame.h"

#include <algorithm>
#include <optional>

#include "common/little_endian.h"

namespace qvtouch::platform {
namespace {

using driver::MajorFunction;

// The major functions a program may send, by their wire value.
constexpr std::array kWireMajors{MajorFunction::Create, MajorFunction::Close, MajorFunction::Read,
                                 MajorFunction::Write, MajorFunction::DeviceControl};

std::uint8_t WireMajor(MajorFunction major) {
  const auto* found = std::find(kWireMajors.begin(), kWireMajors.end(), major);
  // Anything else is sent as an out-of-range value, which the server refuses.
  return static_cast<std::uint8_t>(found - kWireMajors.begin());
}

std::optional<MajorFunction> MajorFromWire(std::uint8_t value) {
  if (value >= kWireMajors.size()) return std::nullopt;
  return kWireMajors[value];
}

// Checks the fields that every frame's header shares.
FrameError CheckHeader(std::span<const std::uint8_t> header, std::uint32_t magic) {
  if (LoadU32(header, 0) != magic) return FrameError::BadMagic;
  if (LoadU16(header, 4) != kFrameVersion) return FrameError::UnsupportedVersion;
  return FrameError::None;
}

void StoreVersionedMagic(std::span<std::uint8_t> header, std::uint32_t magic) {
  StoreU32(header, 0, magic);
  StoreU16(header, 4, kFrameVersion);
}

}  // namespace

std::string_view FrameErrorText(FrameError error) {
  switch (error) {
    case FrameError::None: return "no error";
    case FrameError::Incomplete: return "the stream ended inside a frame";
    case FrameError::BadMagic: return "not a control frame";
    case FrameError::UnsupportedVersion: return "unsupported frame version";
    case FrameError::BadMajorFunction: return "unknown major function";
    case FrameError::BadReserved: return "reserved field not zero";
    case FrameError::InputTooLong: return "input longer than the limit";
    case FrameError::OutputTooLong: return "output longer than the limit";
  }
  return "unknown frame error";
}

std::vector<std::uint8_t> EncodeRequest(MajorFunction major, std::uint32_t ioControlCode,
                                        std::span<const std::uint8_t> input,
                                        std::uint32_t outputLength) {
  std::vector<std::uint8_t> frame(kRequestHeaderSize + input.size());
  StoreVersionedMagic(frame, kRequestMagic);
  frame[6] = WireMajor(major);
  frame[7] = 0;
  StoreU32(frame, 8, ioControlCode);
  StoreU32(frame, 12, static_cast<std::uint32_t>(input.size()));
  StoreU32(frame, 16, outputLength);
  std::copy(input.begin(), input.end(), frame.begin() + kRequestHeaderSize);
  return frame;
}

FrameError ReadRequest(const ReadExact& read, RequestFrame& frame) {
  std::array<std::uint8_t, kRequestHeaderSize> header{};
  if (!read(header)) return FrameError::Incomplete;
  std::size_t size = 0;
  if (const FrameError error = RequestFrameSize(header, size); error != FrameError::None) {
    return error;
  }
  frame.Major = *MajorFromWire(header[6]);
  frame.IoControlCode = LoadU32(header, 8);
  frame.OutputLength = LoadU32(header, 16);
  frame.Input.assign(size - kRequestHeaderSize, 0);
  return read(frame.Input) ? FrameError::None : FrameError::Incomplete;
}

FrameError RequestFrameSize(std::span<const std::uint8_t, kRequestHeaderSize> header,
                            std::size_t& size) {
  if (const FrameError error = CheckHeader(header, kRequestMagic); error != FrameError::None) {
    return error;
  }
  if (!MajorFromWire(header[6])) return FrameError::BadMajorFunction;
  if (header[7] != 0) return FrameError::BadReserved;
  const std::uint32_t inputLength = LoadU32(header, 12);
  if (inputLength > kMaxBufferLength) return FrameError::InputTooLong;
  if (LoadU32(header, 16) > kMaxBufferLength) return FrameError::OutputTooLong;
  size = kRequestHeaderSize + inputLength;
  return FrameError::None;
}

std::vector<std::uint8_t> EncodeReply(NtStatus status, std::uint32_t information,
                                      std::span<const std::uint8_t> output) {
  const std::size_t returned = std::min<std::size_t>(information, output.size());
  std::vector<std::uint8_t> frame(kReplyHeaderSize + returned);
  StoreVersionedMagic(frame, kReplyMagic);
  StoreU16(frame, 6, 0);
  StoreS32(frame, 8, status);
  StoreU32(frame, 12, information);
  std::copy_n(output.begin(), returned, frame.begin() + kReplyHeaderSize);
  return frame;
}

FrameError ReadReply(const ReadExact& read, std::uint32_t outputLength, ReplyFrame& frame) {
  std::array<std::uint8_t, kReplyHeaderSize> header{};
  if (!read(header)) return FrameError::Incomplete;
  if (const FrameError error = CheckHeader(header, kReplyMagic); error != FrameError::None) {
    return error;
  }
  if (LoadU16(header, 6) != 0) return FrameError::BadReserved;
  if (outputLength > kMaxBufferLength) return FrameError::OutputTooLong;
  frame.Status = LoadS32(header, 8);
  frame.Information = LoadU32(header, 12);
  frame.Output.assign(std::min(frame.Information, outputLength), 0);
  return read(frame.Output) ? FrameError::None : FrameError::Incomplete;
}

NtStatus FrameErrorStatus(FrameError error) {
  return error == FrameError::UnsupportedVersion ? STATUS_NOT_SUPPORTED : STATUS_INVALID_PARAMETER;
}

bool IsRefusal(NtStatus status) {
  return status == STATUS_REQUEST_NOT_ACCEPTED || status == STATUS_QUOTA_EXCEEDED ||
         status == STATUS_TOO_MANY_OPENED_FILES;
}

}  // namespace qvtouch::platform
