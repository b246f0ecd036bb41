// The framing and the device names, without sockets.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/little_endian.h"
#include "device_test_support.h"
#include "platform/device/device_name.h"
#include "platform/device/frame.h"

namespace qvtouch::platform {
namespace {

using driver::MajorFunction;
using testing::TemporaryRoot;

// Reads from a byte string, counting the bytes asked for.
struct ByteSource {
  std::vector<std::uint8_t> Bytes;
  std::size_t Position = 0;
  std::size_t Asked = 0;
  ReadExact Reader() {
    return [this](std::span<std::uint8_t> out) {
      Asked += out.size();
      if (out.size() > Bytes.size() - Position) return false;
      std::copy_n(Bytes.begin() + static_cast<std::ptrdiff_t>(Position), out.size(), out.begin());
      Position += out.size();
      return true;
    };
  }
};

TEST(ControlFrame, RequestRoundTripsEveryMajorFunction) {
  for (const MajorFunction major : {MajorFunction::Create, MajorFunction::Close, MajorFunction::Read,
                                    MajorFunction::Write, MajorFunction::DeviceControl}) {
    const std::vector<std::uint8_t> input{1, 2, 3};
    ByteSource source{EncodeRequest(major, 0x000F2644, input, 20)};
    RequestFrame frame;
    ASSERT_EQ(ReadRequest(source.Reader(), frame), FrameError::None);
    EXPECT_EQ(frame.Major, major);
    EXPECT_EQ(frame.IoControlCode, 0x000F2644u);
    EXPECT_EQ(frame.Input, input);
    EXPECT_EQ(frame.OutputLength, 20u);
    EXPECT_EQ(source.Position, source.Bytes.size());
  }
}

TEST(ControlFrame, ReplyCarriesTheFirstInformationBytes) {
  const std::vector<std::uint8_t> output{9, 8, 7, 6};
  ByteSource source{EncodeReply(STATUS_TIMEOUT, 2, output)};
  ReplyFrame reply;
  ASSERT_EQ(ReadReply(source.Reader(), 4, reply), FrameError::None);
  EXPECT_EQ(reply.Status, STATUS_TIMEOUT);
  EXPECT_EQ(reply.Information, 2u);
  EXPECT_EQ(reply.Output, (std::vector<std::uint8_t>{9, 8}));

  // Information beyond the output (as GET_SCREEN_POST may report) sends only the output.
  ByteSource whole{EncodeReply(STATUS_SUCCESS, 10, output)};
  ASSERT_EQ(ReadReply(whole.Reader(), 4, reply), FrameError::None);
  EXPECT_EQ(reply.Information, 10u);
  EXPECT_EQ(reply.Output, output);
}

TEST(ControlFrame, MalformedHeadersAreRefusedBeforeAnyPayloadIsRead) {
  const auto request = EncodeRequest(MajorFunction::DeviceControl, 1, {}, 0);
  struct Case {
    std::size_t Offset;
    std::uint32_t Value;
    std::size_t Width;
    FrameError Expected;
  };
  const Case cases[]{
      {0, 0x12345678, 4, FrameError::BadMagic},
      {4, 2, 2, FrameError::UnsupportedVersion},
      {6, 5, 1, FrameError::BadMajorFunction},  // internal device control never comes from a program
      {6, 200, 1, FrameError::BadMajorFunction},
      {7, 1, 1, FrameError::BadReserved},
      {12, kMaxBufferLength + 1, 4, FrameError::InputTooLong},
      {12, 0xFFFFFFFF, 4, FrameError::InputTooLong},  // absurd: refused, never allocated
      {16, 0xFFFFFFFF, 4, FrameError::OutputTooLong},
  };
  for (const Case& c : cases) {
    ByteSource source{request};
    if (c.Width == 4) StoreU32(source.Bytes, c.Offset, c.Value);
    if (c.Width == 2) StoreU16(source.Bytes, c.Offset, static_cast<std::uint16_t>(c.Value));
    if (c.Width == 1) source.Bytes[c.Offset] = static_cast<std::uint8_t>(c.Value);
    RequestFrame frame;
    EXPECT_EQ(ReadRequest(source.Reader(), frame), c.Expected) << "offset " << c.Offset;
    EXPECT_EQ(source.Asked, kRequestHeaderSize);
    EXPECT_TRUE(frame.Input.empty());
    EXPECT_FALSE(NT_SUCCESS(FrameErrorStatus(c.Expected)));
  }
  EXPECT_EQ(FrameErrorStatus(FrameError::UnsupportedVersion), STATUS_NOT_SUPPORTED);
  EXPECT_EQ(FrameErrorStatus(FrameError::InputTooLong), STATUS_INVALID_PARAMETER);
}

TEST(ControlFrame, StreamsThatEndEarlyAreIncomplete) {
  const std::vector<std::uint8_t> input(8, 0xAB);
  const auto request = EncodeRequest(MajorFunction::DeviceControl, 1, input, 0);
  for (const std::size_t length : {std::size_t{0}, kRequestHeaderSize - 1, request.size() - 1}) {
    ByteSource source{{request.begin(), request.begin() + static_cast<std::ptrdiff_t>(length)}};
    RequestFrame frame;
    EXPECT_EQ(ReadRequest(source.Reader(), frame), FrameError::Incomplete) << length;
  }
  auto reply = EncodeReply(STATUS_SUCCESS, 4, input);
  reply.pop_back();
  ByteSource source{reply};
  ReplyFrame frame;
  EXPECT_EQ(ReadReply(source.Reader(), 4, frame), FrameError::Incomplete);
}

TEST(DeviceName, UserAndLinkNamesReachTheSameLowerCasedKey) {
  EXPECT_EQ(DeviceKey("\\\\.\\qvtouch"), "qvtouch");
  EXPECT_EQ(DeviceKey("\\\\.\\QVTouch"), "qvtouch");
  EXPECT_EQ(DeviceKey("\\??\\qvtouch"), "qvtouch");
  EXPECT_EQ(DeviceKey("qvtouch"), std::nullopt);
  EXPECT_EQ(DeviceKey("\\\\.\\"), std::nullopt);
  EXPECT_EQ(DeviceKey("\\\\.\\qv touch"), std::nullopt);
  EXPECT_EQ(DeviceKey("/dev/qvtouch"), std::nullopt);
}

TEST(DeviceName, SocketPathIsOnePlainFileUnderTheRuntimeFolder) {
  TemporaryRoot root;
  const auto runtime = root.Path() / "run/qvtouch";
  EXPECT_EQ(DeviceSocketPath("qvtouch"), runtime / "qvtouch.sock");
  EXPECT_EQ(DeviceSocketPath("../x/y"), runtime / "..%2Fx%2Fy.sock");
}

}  // namespace
}  // namespace qvtouch::platform
