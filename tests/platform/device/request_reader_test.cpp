// The server's reading of requests that arrive in pieces, back to back, or broken off.
#include "platform/device/request_reader.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <array>

#include "common/little_endian.h"
#include "device_test_support.h"

namespace qvtouch::platform {
namespace {

using driver::MajorFunction;
using Outcome = RequestReader::Outcome;
using testing::SendBytes;

class ReadingRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    std::array<int, 2> ends{};
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends.data()), 0);
    server_.Reset(ends[0]);
    client_.Reset(ends[1]);
  }
  Outcome Read() { return reader_.Read(server_.Get(), frame_, error_); }

  UniqueFd server_, client_;
  RequestReader reader_;
  RequestFrame frame_;
  FrameError error_ = FrameError::None;
};

const std::vector<std::uint8_t> kInput{9, 8, 7, 6, 5};

TEST_F(ReadingRequests, AFrameSentByteByByteIsReadOnce) {
  const auto frame = EncodeRequest(MajorFunction::DeviceControl, 0x000F2A00, kInput, 7);
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    ASSERT_TRUE(SendBytes(client_.Get(), std::span(frame).subspan(i, 1)));
    ASSERT_EQ(Read(), Outcome::Waiting) << "after byte " << i;
  }
  ASSERT_TRUE(SendBytes(client_.Get(), std::span(frame).last(1)));
  ASSERT_EQ(Read(), Outcome::Complete);
  EXPECT_EQ(frame_.Major, MajorFunction::DeviceControl);
  EXPECT_EQ(frame_.IoControlCode, 0x000F2A00u);
  EXPECT_EQ(frame_.Input, kInput);
  EXPECT_EQ(frame_.OutputLength, 7u);
  EXPECT_EQ(Read(), Outcome::Waiting);
}

TEST_F(ReadingRequests, FramesSentBackToBackAreReadOneAtATime) {
  auto stream = EncodeRequest(MajorFunction::Create, 0, {}, 0);
  const auto second = EncodeRequest(MajorFunction::Write, 0, kInput, 0);
  stream.insert(stream.end(), second.begin(), second.end());
  stream.insert(stream.end(), second.begin(), second.begin() + 3);  // a third, begun
  ASSERT_TRUE(SendBytes(client_.Get(), stream));

  ASSERT_EQ(Read(), Outcome::Complete);
  EXPECT_EQ(frame_.Major, MajorFunction::Create);
  EXPECT_TRUE(frame_.Input.empty());
  ASSERT_EQ(Read(), Outcome::Complete);
  EXPECT_EQ(frame_.Major, MajorFunction::Write);
  EXPECT_EQ(frame_.Input, kInput);
  EXPECT_EQ(Read(), Outcome::Waiting);
  client_.Reset();
  EXPECT_EQ(Read(), Outcome::Ended) << "the client left inside the third frame";
}

TEST_F(ReadingRequests, AnAbsurdHeaderIsRefusedWithoutWaitingForItsPayload) {
  auto header = EncodeRequest(MajorFunction::DeviceControl, 0x000F2A00, {}, 0);
  StoreU32(header, 12, 0xFFFFFFFF);  // input length
  ASSERT_TRUE(SendBytes(client_.Get(), header));
  EXPECT_EQ(Read(), Outcome::Malformed);
  EXPECT_EQ(error_, FrameError::InputTooLong);
}

}  // namespace
}  // namespace qvtouch::platform
