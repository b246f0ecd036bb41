// The platform calls as the programs make them: the error mapping, devices that do not exist,
// handles, last errors and connections that break.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <functional>
#include <thread>

#include "device_test_support.h"
#include "platform/device/device_name.h"
#include "platform/device/frame.h"
#include "platform/device/winio.h"

namespace qvtouch::platform {
namespace {

using namespace testing;

struct Mapping {
  NtStatus Status;
  DWORD Error;
};

constexpr Mapping kMappings[]{
    {STATUS_BUFFER_TOO_SMALL, ERROR_INSUFFICIENT_BUFFER},
    {STATUS_INVALID_DEVICE_REQUEST, ERROR_INVALID_FUNCTION},
    {STATUS_NOT_IMPLEMENTED, ERROR_INVALID_FUNCTION},
    {STATUS_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
    {STATUS_DEVICE_BUSY, ERROR_BUSY},
    {STATUS_CANCELLED, ERROR_OPERATION_ABORTED},
    {STATUS_DEVICE_NOT_READY, ERROR_NOT_READY},
    {STATUS_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {STATUS_DELETE_PENDING, ERROR_DELETE_PENDING},
    {STATUS_REQUEST_NOT_ACCEPTED, ERROR_REQ_NOT_ACCEP},
    {STATUS_QUOTA_EXCEEDED, ERROR_NOT_ENOUGH_QUOTA},
    {STATUS_TOO_MANY_OPENED_FILES, ERROR_TOO_MANY_OPEN_FILES},
    {STATUS_IO_DEVICE_ERROR, ERROR_GEN_FAILURE},
    {STATUS_INSUFFICIENT_RESOURCES, ERROR_GEN_FAILURE},
    {STATUS_UNSUCCESSFUL, ERROR_GEN_FAILURE},
};

TEST(StatusMapping, FailingStatusesBecomeThePlatformsErrors) {
  for (const Mapping& m : kMappings) EXPECT_EQ(RtlNtStatusToDosError(m.Status), m.Error) << m.Status;
  EXPECT_EQ(RtlNtStatusToDosError(STATUS_SUCCESS), ERROR_SUCCESS);
  EXPECT_EQ(RtlNtStatusToDosError(STATUS_TIMEOUT), ERROR_SUCCESS);
}

using PlatformCalls = ServedFakeTest;

TEST_F(PlatformCalls, DeviceIoControlSucceedsExactlyForSuccessClassStatuses) {
  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  for (const NtStatus status : {STATUS_SUCCESS, STATUS_TIMEOUT}) {
    auto input = U32Bytes(static_cast<std::uint32_t>(status));
    DWORD returned = 7;
    SetLastError(ERROR_BUSY);
    EXPECT_TRUE(DeviceIoControl(device, kStatusCode, input.data(), 4, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  }
  for (const Mapping& m : kMappings) {
    auto input = U32Bytes(static_cast<std::uint32_t>(m.Status));
    std::uint8_t output[4] = {};
    DWORD returned = 7;
    EXPECT_FALSE(DeviceIoControl(device, kStatusCode, input.data(), 4, output, 4, &returned, nullptr));
    EXPECT_EQ(GetLastError(), m.Error) << m.Status;
    EXPECT_EQ(returned, 0u);
  }
  CloseHandle(device);
}

TEST_F(PlatformCalls, LastErrorBelongsToTheCallingThread) {
  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  auto input = U32Bytes(static_cast<std::uint32_t>(STATUS_DEVICE_BUSY));
  EXPECT_FALSE(DeviceIoControl(device, kStatusCode, input.data(), 4, nullptr, 0, nullptr, nullptr));
  std::thread other([] {
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    SetLastError(ERROR_NOT_READY);
  });
  other.join();
  EXPECT_EQ(GetLastError(), ERROR_BUSY);
  CloseHandle(device);
}

TEST_F(PlatformCalls, BadHandlesAndBadArgumentsAreRefused) {
  DWORD returned = 0;
  EXPECT_FALSE(DeviceIoControl(INVALID_HANDLE_VALUE, kEchoCode, nullptr, 0, nullptr, 0, &returned,
                               nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x1234)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  std::vector<std::uint8_t> big(kMaxBufferLength + 1);
  EXPECT_FALSE(DeviceIoControl(device, kEchoCode, big.data(), static_cast<DWORD>(big.size()),
                               nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  int overlapped = 0;
  EXPECT_FALSE(DeviceIoControl(device, kEchoCode, nullptr, 0, nullptr, 0, &returned, &overlapped));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DeviceIoControl(device, kEchoCode, nullptr, 4, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  EXPECT_TRUE(CloseHandle(device));
  EXPECT_FALSE(CloseHandle(device));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(MissingDevice, OpeningADeviceThatDoesNotExistFails) {
  TemporaryRoot root;
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);  // no socket
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  // A socket file that nobody listens on.
  std::filesystem::create_directories(DeviceSocketPath("qvtouch").parent_path());
  const UniqueFd unheard = NewStreamSocket();
  const auto address = SocketAddress(DeviceSocketPath("qvtouch"));
  ASSERT_EQ(::bind(unheard.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)), 0);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(Open("qvtouch"), INVALID_HANDLE_VALUE);  // not a device name
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A hand-made server that answers the open, then treats the next request as `misbehave` says.
class BrokenServer {
 public:
  explicit BrokenServer(std::function<void(int)> misbehave) : misbehave_(std::move(misbehave)) {
    std::filesystem::create_directories(DeviceSocketPath("qvtouch").parent_path());
    const auto address = SocketAddress(DeviceSocketPath("qvtouch"));
    std::filesystem::remove(DeviceSocketPath("qvtouch"));
    listener_ = NewStreamSocket();
    ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address));
    ::listen(listener_.Get(), 4);
    thread_ = std::thread([this] {
      const UniqueFd client(::accept(listener_.Get(), nullptr, nullptr));
      SocketStream stream(client.Get());
      const ReadExact read = [&stream](std::span<std::uint8_t> b) { return stream.ReadExact(b); };
      RequestFrame open;
      if (ReadRequest(read, open) != FrameError::None) return;
      stream.WriteAll(EncodeReply(STATUS_SUCCESS, 0, {}));
      RequestFrame next;
      if (ReadRequest(read, next) != FrameError::None) return;
      listener_.Reset();  // later connections are refused, so the close cannot wait on us
      misbehave_(client.Get());
    });
  }
  ~BrokenServer() { thread_.join(); }

 private:
  std::function<void(int)> misbehave_;
  UniqueFd listener_;
  std::thread thread_;
};

TEST(BrokenConnection, AConnectionLostMidRequestFailsTheCall) {
  TemporaryRoot root;
  const std::vector<std::uint8_t> garbage(kReplyHeaderSize, 0x5A);
  for (const auto& misbehave : std::vector<std::function<void(int)>>{
           [](int) {},  // hangs up without a reply
           [&garbage](int socket) { SendBytes(socket, garbage); },  // answers out of step
       }) {
    BrokenServer server(misbehave);
    const HANDLE device = Open();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    std::uint8_t output[4] = {};
    DWORD returned = 9;
    EXPECT_FALSE(DeviceIoControl(device, kEchoCode, nullptr, 0, output, 4, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_EQ(returned, 0u);
    CloseHandle(device);
  }
}

}  // namespace
}  // namespace qvtouch::platform
