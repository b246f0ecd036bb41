// The framing of control requests between programs and the driver host.
//
// A connection carries requests and their replies in turn, each as one frame: a fixed header
// (little-endian) followed by a payload whose length the header gives.
//
//   Request, 20-byte header, then the input bytes:
//     0  u32  magic "QVRQ"
//     4  u16  version (1)
//     6  u8   major function: 0 create, 1 close, 2 read, 3 write, 4 device control
//     7  u8   reserved, 0
//     8  u32  control code (0 unless device control)
//    12  u32  input length, at most kMaxBufferLength
//    16  u32  output length, at most kMaxBufferLength
//
//   Reply, 16-byte header, then min(Information, the request's output length) output bytes:
//     0  u32  magic "QVRP"
//     4  u16  version (1)
//     6  u16  reserved, 0
//     8  s32  completion status
//    12  u32  Information
//
// A header is checked before its payload is read, so an absurd length is refused without being
// allocated. Internal device control cannot be framed: the mouse class driver's requests never
// come from a program.
//
// A server that cannot take a connection says so before it reads anything: it sends one reply,
// STATUS_REQUEST_NOT_ACCEPTED with its connection limit as Information, STATUS_QUOTA_EXCEEDED
// with its limit of one user's connections, or STATUS_TOO_MANY_OPENED_FILES with its descriptor
// limit, and closes the connection. The client reads that reply as the completion of its first
// request.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "common/status.h"
#include "driver/kernel.h"

namespace qvtouch::platform {

inline constexpr std::uint32_t kRequestMagic = 0x51525651;  // "QVRQ"
inline constexpr std::uint32_t kReplyMagic = 0x50525651;    // "QVRP"
inline constexpr std::uint16_t kFrameVersion = 1;
inline constexpr std::size_t kRequestHeaderSize = 20;
inline constexpr std::size_t kReplyHeaderSize = 16;
// The largest input or output of one request. The driver's records are at most 68 bytes; the
// limit leaves room for any request a tool may try, and bounds a capture's wait (20 ms per byte).
inline constexpr std::uint32_t kMaxBufferLength = 4096;

struct RequestFrame {
  driver::MajorFunction Major = driver::MajorFunction::DeviceControl;
  std::uint32_t IoControlCode = 0;
  std::vector<std::uint8_t> Input;
  std::uint32_t OutputLength = 0;
};

struct ReplyFrame {
  NtStatus Status = STATUS_SUCCESS;
  std::uint32_t Information = 0;
  std::vector<std::uint8_t> Output;  // the first Information output bytes
};

enum class FrameError {
  None,
  Incomplete,          // the stream ended (or was stopped) inside a frame or before one
  BadMagic,
  UnsupportedVersion,
  BadMajorFunction,
  BadReserved,
  InputTooLong,
  OutputTooLong,
};

std::string_view FrameErrorText(FrameError error);

// Fills the span whole, or returns false when the stream ends first.
using ReadExact = std::function<bool(std::span<std::uint8_t>)>;

std::vector<std::uint8_t> EncodeRequest(driver::MajorFunction major, std::uint32_t ioControlCode,
                                        std::span<const std::uint8_t> input,
                                        std::uint32_t outputLength);
// Reads one request; on an error the stream is no longer in step and must be dropped.
FrameError ReadRequest(const ReadExact& read, RequestFrame& frame);
// Checks a request header; on success `size` is the length of the whole frame it starts.
FrameError RequestFrameSize(std::span<const std::uint8_t, kRequestHeaderSize> header,
                            std::size_t& size);

// Encodes a reply carrying the first min(information, output size) bytes of output.
std::vector<std::uint8_t> EncodeReply(NtStatus status, std::uint32_t information,
                                      std::span<const std::uint8_t> output);
// Reads the reply to a request whose output length was outputLength.
FrameError ReadReply(const ReadExact& read, std::uint32_t outputLength, ReplyFrame& frame);

// The status a server answers a malformed request with, before it drops the connection.
NtStatus FrameErrorStatus(FrameError error);

// Whether a reply is a server's refusal of the connection rather than the device's completion.
bool IsRefusal(NtStatus status);

}  // namespace qvtouch::platform
