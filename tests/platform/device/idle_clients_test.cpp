// Many clients at once: idle ones cost the others nothing, and one beyond a real limit is told
// which limit it met.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "device_test_support.h"
#include "platform/device/descriptor_limit.h"
#include "platform/device/frame.h"
#include "platform/device/served_device.h"
#include "tests/support/other_users.h"

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

// Many clients of one user, the test's own, whose share is the whole server here.
class ManyClients : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(server_.Serve(kLinkName, device_).Status, STATUS_SUCCESS); }
  TemporaryRoot root_;
  FakeDevice device_;
  ControlDeviceServer server_{ConnectionLimits{.PerUser = kMaxConnections}};
};

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

// A child process that is killed, unless it has been waited for, when the test leaves its scope.
class KilledAtTheEnd {
 public:
  explicit KilledAtTheEnd(pid_t child) : child_(child) {}
  ~KilledAtTheEnd() {
    if (child_ < 0) return;
    ::kill(child_, SIGKILL);
    qvtouch::testing::WaitForChild(child_);
  }
  KilledAtTheEnd(const KilledAtTheEnd&) = delete;
  KilledAtTheEnd& operator=(const KilledAtTheEnd&) = delete;

  // Its exit status (see WaitForChild).
  int Wait() { return qvtouch::testing::WaitForChild(std::exchange(child_, -1)); }

 private:
  pid_t child_;
};

// Clients that run as other users, forked before the server starts a thread: a child forked while
// the server's threads run could inherit a lock one of them held and wait for it for ever. Each
// waits until the test lets it go, then runs its body, says one line and holds its connections
// until the test ends.
class OtherUsers : public ::testing::Test {
 protected:
  struct Client {
    std::unique_ptr<KilledAtTheEnd> Process;
    UniqueFd Go;
    UniqueFd Said;
  };

  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run clients as other users";
    if (!qvtouch::testing::NobodyAsOperator()) {
      GTEST_SKIP() << "needs the group qvtouch (scripts/test makes it)";
    }
    namespace fs = std::filesystem;
    fs::permissions(root_.Path(),
                    fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::add);
  }

  Client Fork(const qvtouch::testing::Identity& who, const std::function<std::string()>& body) {
    int go[2];
    int said[2];
    if (pipe(go) != 0 || pipe(said) != 0) return {};
    auto process = std::make_unique<KilledAtTheEnd>(qvtouch::testing::StartChildAs(who, [&] {
      char letGo = 0;
      if (::read(go[0], &letGo, 1) != 1) return 1;
      const std::string line = body() + '\n';
      if (::write(said[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 1;
      pause();
      return 0;
    }));
    ::close(go[0]);
    ::close(said[1]);
    return {std::move(process), UniqueFd(go[1]), UniqueFd(said[0])};
  }

  void Serve(const ConnectionLimits& limits = {}) {
    server_.emplace(limits);
    ASSERT_EQ(server_->Serve(kLinkName, device_).Status, STATUS_SUCCESS);
  }

  // Lets the client go and returns the line it says.
  static std::string Run(const Client& client) {
    if (::write(client.Go.Get(), "g", 1) != 1) return {};
    std::string line;
    for (char c = 0; ::read(client.Said.Get(), &c, 1) == 1 && c != '\n';) line += c;
    return line;
  }

  TemporaryRoot root_;
  FakeDevice device_;
  std::optional<ControlDeviceServer> server_;
};

// What a refused connection is told: its status's name and the limit it met.
std::string RefusalOfNext() {
  const UniqueFd extra = ConnectRaw();
  const auto refusal = ReadToEnd(extra.Get());
  if (refusal.size() != kReplyHeaderSize) return "not refused";
  return std::string(StatusName(LoadS32(refusal, 8))) + " " + std::to_string(LoadU32(refusal, 12));
}

// One user holding as many connections as it can open locks out neither another user nor root:
// each user's connections stop at a share of their own, and root's never do.
TEST_F(OtherUsers, OneUsersConnectionsLockOutNeitherAnotherUserNorRoot) {
  if (!AllowDescriptors(2 * kMaxConnections + 256))
    GTEST_SKIP() << "the descriptor limit is too low";
  std::vector<UniqueFd> held;
  const Client holder = Fork(*qvtouch::testing::NobodyAsOperator(), [&] {
    held = ConnectIdle(kMaxConnections);
    return Ctl({"get-screen-post"}).Err;  // beyond its share: told which limit it met
  });
  const Client other = Fork(*qvtouch::testing::AnotherOperator(), [] {
    const HANDLE device = Open();
    return device != INVALID_HANDLE_VALUE && Echo(device, {7, 8}) ? "served" : "refused";
  });
  Serve();
  EXPECT_EQ(Run(holder),
            "qvtouchctl: \\\\.\\qvtouch: the driver host refused the connection: it "
            "serves at most 64 connections of one user at once, and that many of "
            "yours are open");
  const HANDLE mine = Open();
  EXPECT_NE(mine, INVALID_HANDLE_VALUE) << "root was refused: error " << GetLastError();
  EXPECT_TRUE(Echo(mine, {1, 2, 3}));
  CloseHandle(mine);
  EXPECT_EQ(Run(other), "served");
}

// Users' connections together stop at the server's limit, and the next user is told so: by
// CreateFileA's error, and by qvtouchctl in words. Root is served beyond it.
TEST_F(OtherUsers, AllUsersTogetherStopAtTheLimitAndTheNextIsToldWhich) {
  constexpr ConnectionLimits kSmall{.Total = 6, .PerUser = 4};
  std::vector<UniqueFd> held;
  const Client first = Fork(*qvtouch::testing::NobodyAsOperator(), [&] {
    held = ConnectIdle(kSmall.PerUser);
    return RefusalOfNext();
  });
  const Client second = Fork(*qvtouch::testing::AnotherOperator(), [&] {
    held = ConnectIdle(kSmall.Total - kSmall.PerUser);
    const std::string refusal = RefusalOfNext();
    const bool refused = Open() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_REQ_NOT_ACCEP;
    const CtlRun ctl = Ctl({"get-screen-post"});
    std::string said = refusal + (refused ? ", refused; " : ", opened; ") + ctl.Out + ctl.Err;
    std::replace(said.begin(), said.end(), '\n', ';');  // one line
    return said;
  });
  Serve(kSmall);
  EXPECT_EQ(Run(first), "STATUS_QUOTA_EXCEEDED 4");
  EXPECT_EQ(Run(second),
            "STATUS_REQUEST_NOT_ACCEPTED 6, refused; Status: "
            "STATUS_REQUEST_NOT_ACCEPTED;qvtouchctl: \\\\.\\qvtouch: the driver host "
            "refused the connection: it serves at most 6 connections at once, and "
            "that many are open;");
  const HANDLE mine = Open();
  EXPECT_NE(mine, INVALID_HANDLE_VALUE) << "root was refused: error " << GetLastError();
  EXPECT_TRUE(Echo(mine, {1}));
  CloseHandle(mine);
}

// A connection that has sent nothing for the idle time-out is closed, one inside the dispatch
// routine is not, and a handle whose pooled connection was closed connects again by itself.
TEST(IdleConnections, AreClosedAfterTheTimeOutAndAHandleConnectsAgain) {
  constexpr auto kIdle = std::chrono::milliseconds(200);
  TemporaryRoot root;
  FakeDevice device;
  ControlDeviceServer server(ConnectionLimits{.IdleTimeout = kIdle});
  ASSERT_EQ(server.Serve(kLinkName, device).Status, STATUS_SUCCESS);
  const HANDLE handle = Open();
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Echo(handle, {1}));
  const HANDLE waiting = Open();
  std::thread holder([waiting] { EXPECT_TRUE(Hold(waiting)); });
  ASSERT_TRUE(device.WaitHeld(1));

  const UniqueFd idle = ConnectRaw();
  EXPECT_TRUE(ReadToEnd(idle.Get()).empty()) << "closed without a word";
  std::this_thread::sleep_for(2 * kIdle);  // the handle's pooled connection is closed too
  EXPECT_TRUE(Echo(handle, {2, 3}));
  device.ReleaseHeld();
  holder.join();
  CloseHandle(waiting);
  CloseHandle(handle);
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
