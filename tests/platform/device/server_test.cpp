// The server over real sockets, against a fake device that can hold requests.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <thread>
#include <vector>

#include "device_test_support.h"
#include "platform/device/device_name.h"
#include "platform/device/frame.h"
#include "platform/device/winio.h"

namespace qvtouch::platform {
namespace {

using driver::MajorFunction;
using namespace testing;

std::filesystem::path SocketPath() {
  return DeviceSocketPath("qvtouch");
}

// The status of the one reply a raw connection gets before the server drops it.
std::optional<NtStatus> RefusalOf(std::span<const std::uint8_t> bytes) {
  const UniqueFd raw = ConnectRaw();
  if (!SendBytes(raw.Get(), bytes)) return std::nullopt;
  const auto reply = ReadToEnd(raw.Get());  // ends: the server has dropped the connection
  if (reply.size() != kReplyHeaderSize) return std::nullopt;
  return LoadS32(reply, 8);
}

using ControlServer = ServedFakeTest;

TEST_F(ControlServer, EveryMajorFunctionMakesTheRoundTrip) {
  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);

  std::vector<std::uint8_t> input{1, 2, 3}, output(8, 0xEE);
  DWORD returned = 0;
  ASSERT_TRUE(
      DeviceIoControl(device, kEchoCode, input.data(), 3, output.data(), 8, &returned, nullptr));
  EXPECT_EQ(returned, 3u);
  EXPECT_EQ(output, (std::vector<std::uint8_t>{3, 2, 1, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

  std::uint8_t buffer[5] = {};
  DWORD count = 99;
  EXPECT_FALSE(ReadFile(device, buffer, sizeof(buffer), &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(WriteFile(device, input.data(), 3, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  EXPECT_TRUE(CloseHandle(device));

  const auto seen = device_.Requests();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].Major, MajorFunction::Create);
  EXPECT_EQ(seen[1].Major, MajorFunction::DeviceControl);
  EXPECT_EQ(seen[1].Code, kEchoCode);
  EXPECT_EQ(seen[1].Input, input);
  EXPECT_EQ(seen[1].OutputLength, 8u);
  EXPECT_EQ(seen[2].Major, MajorFunction::Read);
  EXPECT_EQ(seen[2].OutputLength, 5u);
  EXPECT_EQ(seen[3].Major, MajorFunction::Write);
  EXPECT_EQ(seen[3].Input, input);
  EXPECT_EQ(seen[4].Major, MajorFunction::Close);
}

TEST_F(ControlServer, NamesAreNotCaseSensitive) {
  const HANDLE device = Open("\\\\.\\QVTouch");
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Echo(device, {7}));
  CloseHandle(device);
}

TEST_F(ControlServer, AWaitingRequestBlocksOnlyItsOwnCaller) {
  const HANDLE shared = Open();
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  std::atomic<bool> holdDone{false};
  std::thread holder([&] {
    EXPECT_TRUE(Hold(shared));
    holdDone = true;
  });
  ASSERT_TRUE(device_.WaitHeld(1));

  // Other clients, and other threads on the very same handle, are answered meanwhile.
  std::vector<std::thread> clients;
  std::atomic<int> answered{0};
  for (int i = 0; i < 8; ++i) {
    clients.emplace_back([&, i] {
      const HANDLE own = Open();
      for (int n = 0; n < 10; ++n) {
        if (Echo(own, {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(n), 0x55}))
          ++answered;
        if (Echo(shared, {static_cast<std::uint8_t>(n)})) ++answered;
      }
      CloseHandle(own);
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(answered, 160);
  EXPECT_FALSE(holdDone);

  device_.ReleaseHeld();
  holder.join();
  EXPECT_TRUE(holdDone);
  CloseHandle(shared);
}

TEST_F(ControlServer, MalformedFramesAreRefusedAndOthersServedOn) {
  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  const auto valid = EncodeRequest(MajorFunction::DeviceControl, kEchoCode, {}, 0);
  const auto with = [&valid](std::size_t offset, std::uint32_t value) {
    auto bytes = valid;
    StoreU32(bytes, offset, value);
    return bytes;
  };
  EXPECT_EQ(RefusalOf(with(0, 0xDEADBEEF)), STATUS_INVALID_PARAMETER);   // not a frame
  EXPECT_EQ(RefusalOf(with(4, 0x00000007)), STATUS_NOT_SUPPORTED);       // version 7
  EXPECT_EQ(RefusalOf(with(12, 0xFFFFFFFF)), STATUS_INVALID_PARAMETER);  // absurd input length
  EXPECT_EQ(RefusalOf(with(16, 0x7FFFFFFF)), STATUS_INVALID_PARAMETER);  // absurd output length
  auto internal = valid;
  internal[6] = 5;  // internal device control: never from a program
  EXPECT_EQ(RefusalOf(internal), STATUS_INVALID_PARAMETER);

  EXPECT_TRUE(Echo(device, {1, 2}));
  for (const auto& seen : device_.Requests()) {
    EXPECT_NE(seen.Major, MajorFunction::InternalDeviceControl);
  }
  CloseHandle(device);
}

// A client that goes while its request waits inside the dispatch routine has the request
// cancelled: what it waited in is free for others at once.
TEST_F(ControlServer, ClientsThatVanishDisturbNobodyAndTheirWaitingRequestsEnd) {
  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  {
    // Gone in the middle of a frame.
    const UniqueFd raw = ConnectRaw();
    const auto frame = EncodeRequest(MajorFunction::DeviceControl, kEchoCode,
                                     std::vector<std::uint8_t>{1, 2, 3, 4}, 4);
    ASSERT_TRUE(SendBytes(raw.Get(), std::span(frame).first(kRequestHeaderSize + 2)));
  }
  {
    // Gone while its request waits inside the dispatch routine: its reply is dropped.
    const UniqueFd raw = ConnectRaw();
    ASSERT_TRUE(
        SendBytes(raw.Get(), EncodeRequest(MajorFunction::DeviceControl, kHoldCode, {}, 0)));
    ASSERT_TRUE(device_.WaitHeld(1));
  }
  EXPECT_TRUE(device_.WaitNoneHeld()) << "the request of the client that went was not cancelled";
  EXPECT_TRUE(Echo(device, {9, 8, 7}));
  std::thread waiting([device] { EXPECT_TRUE(Hold(device)); });
  ASSERT_TRUE(device_.WaitHeld(1));
  device_.ReleaseHeld();  // a request whose client stays is no one's to cancel
  waiting.join();
  EXPECT_TRUE(Echo(device, {6}));
  CloseHandle(device);
}

// The error of connecting to the device's socket from a child process that runs as uid and gid;
// 0 when it connects. The child of this threaded test makes system calls only: anything more could
// wait for a lock that a server thread held at the fork.
int ConnectErrorAs(uid_t uid, gid_t gid) {
  const auto address = SocketAddress(SocketPath());
  if (!address) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(100);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool connected =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0;
    ::_exit(connected ? 0 : errno);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ControlServer, SocketIsReadableAndWritableByOwnerAndGroupOnly) {
  struct stat status {};
  ASSERT_EQ(::stat(SocketPath().c_str(), &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0660u);
  if (const group* deviceGroup = ::getgrnam("qvtouch")) {
    EXPECT_EQ(status.st_gid, deviceGroup->gr_gid);
  }

  if (::geteuid() != 0) GTEST_SKIP() << "trying other users needs root";
  std::filesystem::permissions(root_.Path(), std::filesystem::perms(0755));
  constexpr uid_t kNobody = 65534;
  EXPECT_EQ(ConnectErrorAs(kNobody, kNobody), EACCES);
  EXPECT_EQ(ConnectErrorAs(kNobody, status.st_gid), 0);  // the group may
}

TEST_F(ControlServer, ANameServedByALiveServerIsTaken) {
  ControlDeviceServer second;
  const ServeResult taken = second.Serve("\\\\.\\QVTOUCH", device_);
  EXPECT_EQ(taken.Status, STATUS_OBJECT_NAME_COLLISION);
  EXPECT_NE(taken.Error.find("device name taken"), std::string::npos) << taken.Error;
  EXPECT_EQ(server_.Serve(kLinkName, device_).Status, STATUS_OBJECT_NAME_COLLISION);

  const HANDLE device = Open();  // the first server still serves it
  EXPECT_TRUE(Echo(device, {3}));
  CloseHandle(device);
}

TEST_F(ControlServer, WithdrawnNamesAreGoneAndCanBeServedAgain) {
  server_.Withdraw("\\??\\QVTOUCH");
  EXPECT_FALSE(std::filesystem::exists(SocketPath()));
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  ControlDeviceServer next;
  ASSERT_EQ(next.Serve(kLinkName, device_).Status, STATUS_SUCCESS);
  const HANDLE device = Open();
  EXPECT_TRUE(Echo(device, {4}));
  CloseHandle(device);
}

TEST(ControlServerNames, InvalidNamesAndNonSocketFilesAreRefused) {
  TemporaryRoot root;
  FakeDevice device;
  ControlDeviceServer server;
  EXPECT_EQ(server.Serve("qvtouch", device).Status, STATUS_INVALID_PARAMETER);

  std::filesystem::create_directories(SocketPath().parent_path());
  { std::ofstream(SocketPath()) << "keep me"; }
  const ServeResult result = server.Serve(kLinkName, device);
  EXPECT_EQ(result.Status, STATUS_UNSUCCESSFUL);
  EXPECT_NE(result.Error.find("not a socket"), std::string::npos) << result.Error;
  EXPECT_TRUE(std::filesystem::is_regular_file(SocketPath()));
}

TEST(ControlServerNames, ASocketSomeoneListensOnIsTakenEvenWithoutTheLock) {
  TemporaryRoot root;
  std::filesystem::create_directories(SocketPath().parent_path());
  const UniqueFd other = NewStreamSocket();
  const auto address = SocketAddress(SocketPath());
  ASSERT_EQ(::bind(other.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)), 0);
  ASSERT_EQ(::listen(other.Get(), 4), 0);

  FakeDevice device;
  ControlDeviceServer server;
  EXPECT_EQ(server.Serve(kLinkName, device).Status, STATUS_OBJECT_NAME_COLLISION);
  EXPECT_TRUE(std::filesystem::is_socket(SocketPath()));
}

TEST(ControlServerNames, AStaleSocketOfADeadServerIsReplaced) {
  TemporaryRoot root;
  std::filesystem::create_directories(SocketPath().parent_path());
  {
    // Bound and never unlinked, as a server that died leaves it.
    const UniqueFd stale = NewStreamSocket();
    const auto address = SocketAddress(SocketPath());
    ASSERT_EQ(::bind(stale.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)),
              0);
  }
  ASSERT_TRUE(std::filesystem::is_socket(SocketPath()));
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);  // nobody listens: the device does not exist

  FakeDevice device;
  ControlDeviceServer server;
  const ServeResult result = server.Serve(kLinkName, device);
  ASSERT_EQ(result.Status, STATUS_SUCCESS) << result.Error;
  const HANDLE handle = Open();
  EXPECT_TRUE(Echo(handle, {5, 6}));
  CloseHandle(handle);
}

TEST_F(ControlServer, ShutsDownInTheHostsOrder) {
  const HANDLE waiting = Open();
  const HANDLE idle = Open();
  ASSERT_NE(idle, INVALID_HANDLE_VALUE);
  DWORD holdError = ERROR_SUCCESS;
  std::thread holder([&] {
    EXPECT_FALSE(Hold(waiting));
    holdError = GetLastError();
  });
  ASSERT_TRUE(device_.WaitHeld(1));

  // 1. No new connection, no new request.
  server_.StopServing();
  EXPECT_FALSE(std::filesystem::exists(SocketPath()));
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Echo(idle, {1}));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_EQ(server_.Serve("\\??\\other", device_).Status, STATUS_UNSUCCESSFUL);

  // 2. The driver unloads: the waiting request completes cancelled, and its caller hears of it.
  device_.Unload();
  holder.join();
  EXPECT_EQ(holdError, ERROR_OPERATION_ABORTED);

  // 3. Every thread ends.
  const auto requests = device_.Requests().size();
  server_.Join();
  EXPECT_EQ(device_.Requests().size(), requests);
  CloseHandle(waiting);
  CloseHandle(idle);
}

}  // namespace
}  // namespace qvtouch::platform
