// Many clients at once: idle ones cost the others nothing, and one beyond a real limit is told
// which limit it met.
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "device_test_support.h"
#include "platform/device/descriptor_limit.h"
#include "platform/device/frame.h"
#include "platform/device/served_device.h"

namespace qvtouch::platform {
namespace {

using driver::MajorFunction;
using namespace testing;

constexpr std::size_t kIdleClients = 1000;

// Raw connections that send nothing; fewer when one cannot be made.
std::vector<UniqueFd> ConnectIdle(std::size_t count) {
  std::vector<UniqueFd> idle;
  for (std::size_t i = 0; i < count; ++i) {
    UniqueFd socket = ConnectRaw();
    if (!socket.Valid()) break;
    idle.push_back(std::move(socket));
  }
  return idle;
}

// The reply to an echo request of {1, 2, 3} on a raw connection that has already sent `sent`
// bytes of it.
std::optional<ReplyFrame> FinishEcho(int socket, std::size_t sent = 0) {
  const auto frame =
      EncodeRequest(MajorFunction::DeviceControl, kEchoCode, std::vector<std::uint8_t>{1, 2, 3}, 3);
  if (!SendBytes(socket, std::span(frame).subspan(sent))) return std::nullopt;
  SocketStream stream(socket);
  ReplyFrame reply;
  const ReadExact read = [&stream](std::span<std::uint8_t> bytes) {
    return stream.ReadExact(bytes);
  };
  if (ReadReply(read, 3, reply) != FrameError::None) return std::nullopt;
  return reply;
}

bool EchoedOneTwoThree(const std::optional<ReplyFrame>& reply) {
  return reply && reply->Status == STATUS_SUCCESS &&
         reply->Output == std::vector<std::uint8_t>{3, 2, 1};
}

// Whether a new client is served, trying for a while: the server notices departures by itself.
bool NewClientServedSoon() {
  for (const auto deadline = std::chrono::steady_clock::now() + kPatience;
       std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    const HANDLE device = Open();
    const bool served = device != INVALID_HANDLE_VALUE && Echo(device, {1});
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    if (served) return true;
  }
  return false;
}

using ManyClients = ServedFakeTest;

TEST_F(ManyClients, AThousandIdleClientsLockNobodyOut) {
  if (!AllowDescriptors(2 * kIdleClients + 256)) GTEST_SKIP() << "the descriptor limit is too low";
  std::vector<UniqueFd> idle = ConnectIdle(kIdleClients);
  ASSERT_EQ(idle.size(), kIdleClients);
  // Every tenth stops inside its first request and never goes on.
  constexpr std::size_t kBegun = kRequestHeaderSize + 1;
  for (std::size_t i = 0; i < idle.size(); i += 10) {
    const auto frame = EncodeRequest(MajorFunction::DeviceControl, kEchoCode,
                                     std::vector<std::uint8_t>{1, 2, 3}, 3);
    ASSERT_TRUE(SendBytes(idle[i].Get(), std::span(frame).first(kBegun)));
  }
  // And one request waits inside the dispatch routine.
  const HANDLE waiting = Open();
  ASSERT_NE(waiting, INVALID_HANDLE_VALUE);
  std::thread holder([waiting] { EXPECT_TRUE(Hold(waiting)); });
  ASSERT_TRUE(device_.WaitHeld(1));

  const HANDLE device = Open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  EXPECT_TRUE(Echo(device, {4, 5, 6}));
  // The idle clients are served as soon as they speak, the ones that stopped midway included.
  for (std::size_t i = 5; i < idle.size(); i += 100) {
    EXPECT_TRUE(EchoedOneTwoThree(FinishEcho(idle[i].Get()))) << i;
  }
  EXPECT_TRUE(EchoedOneTwoThree(FinishEcho(idle[10].Get(), kBegun)));

  device_.ReleaseHeld();
  holder.join();
  CloseHandle(waiting);
  CloseHandle(device);
}

TEST_F(ManyClients, AClientBeyondTheConnectionLimitIsToldWhich) {
  if (!AllowDescriptors(2 * kMaxConnections + 256)) {
    GTEST_SKIP() << "the descriptor limit is too low";
  }
  std::vector<UniqueFd> connections = ConnectIdle(kMaxConnections);
  ASSERT_EQ(connections.size(), kMaxConnections);

  // Accepted after all the others, refused before it has sent anything.
  const UniqueFd extra = ConnectRaw();
  const auto refusal = ReadToEnd(extra.Get());
  ASSERT_EQ(refusal.size(), kReplyHeaderSize);
  EXPECT_EQ(LoadS32(refusal, 8), STATUS_REQUEST_NOT_ACCEPTED);
  EXPECT_EQ(LoadU32(refusal, 12), kMaxConnections);

  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_REQ_NOT_ACCEP);
  const CtlRun ctl = Ctl({"get-screen-post"});
  EXPECT_EQ(ctl.Exit, 1);
  EXPECT_EQ(ctl.Out, "Status: STATUS_REQUEST_NOT_ACCEPTED\n");
  EXPECT_EQ(ctl.Err,
            "qvtouchctl: \\\\.\\qvtouch: the driver host refused the connection: it serves at most "
            "4096 connections at once, and that many are open\n");

  connections.resize(kMaxConnections - 8);
  EXPECT_TRUE(NewClientServedSoon());
}

// The soft descriptor limit for the test's lifetime; restored afterwards.
class DescriptorLimitFor {
 public:
  explicit DescriptorLimitFor(rlim_t soft) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = soft;
    ::setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~DescriptorLimitFor() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// The undefined-behaviour checker reads an object's type through a pipe of its own whenever the
// type is not in its small cache; in a process without a free descriptor it then calls a sound
// object a wrong one. Defined only where that checker is linked in.
extern "C" void __ubsan_handle_dynamic_type_cache_miss(void* data, void* pointer, void* hash)
    __attribute__((weak));

bool TypeCheckerNeedsDescriptors() {
  return __ubsan_handle_dynamic_type_cache_miss != nullptr;
}

int HighestOpenDescriptor() {
  int highest = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    highest = std::max(highest, std::stoi(entry.path().filename().string()));
  }
  return highest;
}

TEST_F(ManyClients, AClientRefusedForWantOfDescriptorsIsToldSo) {
  if (TypeCheckerNeedsDescriptors()) {
    GTEST_SKIP() << "the undefined-behaviour checker needs descriptors that this test takes away";
  }
  // No client before: a connection the server closes late would free a descriptor for it.
  HANDLE refused = nullptr;
  DWORD error = ERROR_SUCCESS;
  {
    const DescriptorLimitFor limit(static_cast<rlim_t>(HighestOpenDescriptor()) + 64);
    // Every descriptor taken but one, which the client's socket takes: the server has none left.
    std::vector<UniqueFd> fillers;
    for (UniqueFd filler(::eventfd(0, EFD_CLOEXEC)); filler.Valid();
         filler = UniqueFd(::eventfd(0, EFD_CLOEXEC))) {
      fillers.push_back(std::move(filler));
    }
    ASSERT_FALSE(fillers.empty());
    fillers.pop_back();
    {
      const UniqueFd raw = ConnectRaw();
      const auto refusal = ReadToEnd(raw.Get());
      ASSERT_EQ(refusal.size(), kReplyHeaderSize);
      EXPECT_EQ(LoadS32(refusal, 8), STATUS_TOO_MANY_OPENED_FILES);
      EXPECT_EQ(LoadU32(refusal, 12), DescriptorLimit());
    }
    refused = Open();
    error = GetLastError();
  }
  EXPECT_EQ(refused, INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(NewClientServedSoon()) << "with descriptors back, clients are served again";
}

}  // namespace
}  // namespace qvtouch::platform
