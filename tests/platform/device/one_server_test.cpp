// One server per device name, whatever is done to the files in the runtime folder, no link
// planted there followed, and nothing left behind.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstddef>
#include <functional>

#include "device_test_support.h"
#include "platform/device/device_name.h"
#include "platform/device/name_claim.h"

namespace qvtouch::platform {
namespace {

using namespace testing;

constexpr uid_t kNobody = 65534;

std::filesystem::path SocketPath() {
  return DeviceSocketPath("qvtouch");
}
std::filesystem::path Folder() {
  return SocketPath().parent_path();
}
std::filesystem::path LockPath() {
  return SocketPath().string() + ".lock";
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST(OneServerPerName, ACleanExitLeavesTheRuntimeFolderEmpty) {
  TemporaryRoot root;
  FakeDevice device;
  {
    ControlDeviceServer server;
    ASSERT_EQ(server.Serve(kLinkName, device).Status, STATUS_SUCCESS);
    const HANDLE handle = Open();
    EXPECT_TRUE(Echo(handle, {1}));
    CloseHandle(handle);
    server.StopServing();
    server.Join();
  }
  EXPECT_TRUE(std::filesystem::is_empty(Folder()));

  ControlDeviceServer withdrawing;
  ASSERT_EQ(withdrawing.Serve(kLinkName, device).Status, STATUS_SUCCESS);
  withdrawing.Withdraw(kLinkName);
  EXPECT_TRUE(std::filesystem::is_empty(Folder()));
}

TEST(OneServerPerName, DeletedFilesLetNoSecondServerIn) {
  TemporaryRoot root;
  FakeDevice device;
  ControlDeviceServer first;
  ASSERT_EQ(first.Serve(kLinkName, device).Status, STATUS_SUCCESS);
  const std::vector<std::pair<const char*, std::function<void()>>> tamperings{
      {"socket and lock file deleted",
       [] {
         std::filesystem::remove(SocketPath());
         std::filesystem::remove(LockPath());
       }},
      {"runtime folder deleted", [] { std::filesystem::remove_all(Folder()); }},
  };
  for (const auto& [tampering, tamper] : tamperings) {
    tamper();
    ControlDeviceServer second;
    const ServeResult taken = second.Serve(kLinkName, device);
    EXPECT_EQ(taken.Status, STATUS_OBJECT_NAME_COLLISION) << tampering;
    EXPECT_TRUE(Contains(taken.Error, "device name taken")) << taken.Error;
    EXPECT_FALSE(std::filesystem::exists(LockPath())) << "the refused server left its lock file";
  }
  first.Join();

  ControlDeviceServer next;
  EXPECT_EQ(next.Serve(kLinkName, device).Status, STATUS_SUCCESS) << "the name is free again";
}

TEST(OneServerPerName, LinksPlantedInTheRuntimeFolderAreNotFollowed) {
  TemporaryRoot root;
  FakeDevice device;
  std::filesystem::create_directories(Folder());
  const std::filesystem::path target = root.Path() / "target";
  for (const auto& planted : {LockPath(), SocketPath()}) {
    std::filesystem::create_symlink(target, planted);
    ControlDeviceServer server;
    const ServeResult result = server.Serve(kLinkName, device);
    EXPECT_EQ(result.Status, STATUS_UNSUCCESSFUL) << planted;
    EXPECT_FALSE(std::filesystem::exists(target)) << "created through " << planted;
    std::filesystem::remove(planted);
  }
}

TEST(OneServerPerName, ARuntimeFolderThatOthersCouldChangeIsRefused) {
  TemporaryRoot root;
  FakeDevice device;
  const std::filesystem::path run = root.Path() / "run";
  std::filesystem::create_directories(run);
  std::filesystem::permissions(run, std::filesystem::perms(0777));
  {
    ControlDeviceServer server;
    const ServeResult result = server.Serve(kLinkName, device);
    EXPECT_EQ(result.Status, STATUS_ACCESS_DENIED);
    EXPECT_TRUE(Contains(result.Error, run.string() + " is writable by other users"))
        << result.Error;
    EXPECT_FALSE(std::filesystem::exists(Folder()));
  }
  // A sticky folder such as /tmp may lie on the way, where nobody can replace another's entry...
  std::filesystem::permissions(run, std::filesystem::perms(01777));
  {
    ControlDeviceServer server;
    EXPECT_EQ(server.Serve(kLinkName, device).Status, STATUS_SUCCESS);
  }
  // ...but the runtime folder itself admits nobody else.
  std::filesystem::permissions(Folder(), std::filesystem::perms(01777));
  {
    ControlDeviceServer server;
    EXPECT_EQ(server.Serve(kLinkName, device).Status, STATUS_ACCESS_DENIED);
  }
}

TEST(OneServerPerName, WhatAnotherUserMadeIsNotTrusted) {
  if (::geteuid() != 0) GTEST_SKIP() << "files of another user need root";
  TemporaryRoot root;
  FakeDevice device;
  std::filesystem::create_directories(Folder());
  ASSERT_EQ(::lchown(Folder().c_str(), kNobody, kNobody), 0);
  {
    ControlDeviceServer server;
    const ServeResult result = server.Serve(kLinkName, device);
    EXPECT_EQ(result.Status, STATUS_ACCESS_DENIED);
    EXPECT_TRUE(Contains(result.Error, "belongs to another user")) << result.Error;
  }
  // The runtime folder replaced by a link to a folder of root's: followed only if root made it.
  std::filesystem::remove(Folder());
  const std::filesystem::path elsewhere = root.Path() / "elsewhere";
  std::filesystem::create_directories(elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, Folder());
  ASSERT_EQ(::lchown(Folder().c_str(), kNobody, kNobody), 0);
  {
    ControlDeviceServer server;
    const ServeResult result = server.Serve(kLinkName, device);
    EXPECT_EQ(result.Status, STATUS_ACCESS_DENIED);
    EXPECT_TRUE(Contains(result.Error, "symbolic link that another user made")) << result.Error;
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
  }
  ASSERT_EQ(::lchown(Folder().c_str(), 0, 0), 0);
  ControlDeviceServer server;
  EXPECT_EQ(server.Serve(kLinkName, device).Status, STATUS_SUCCESS);
  EXPECT_TRUE(std::filesystem::is_socket(elsewhere / SocketPath().filename()));
}

// A process of user nobody that holds the abstract name of the device's claim until destroyed.
class Squatter {
 public:
  Squatter() {
    std::array<int, 2> ready{};
    if (::pipe(ready.data()) != 0) return;
    const std::string name = ClaimName(SocketPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    name.copy(address.sun_path + 1, sizeof(address.sun_path) - 1);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    child_ = ::fork();
    if (child_ == 0) {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      const bool bound = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
                         ::setuid(kNobody) == 0 &&
                         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                         ::listen(fd, 4) == 0;
      const char answer = bound ? 'y' : 'n';
      [[maybe_unused]] const ssize_t written = ::write(ready[1], &answer, 1);
      ::pause();
      ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 'n';
    bound_ = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
  }
  ~Squatter() {
    if (child_ <= 0) return;
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  bool Bound() const { return bound_; }

 private:
  pid_t child_ = -1;
  bool bound_ = false;
};

TEST(OneServerPerName, AnotherUserSquattingTheClaimTakesNothing) {
  if (::geteuid() != 0) GTEST_SKIP() << "squatting as another user needs root";
  TemporaryRoot root;
  FakeDevice device;
  const Squatter squatter;
  ASSERT_TRUE(squatter.Bound());

  {
    ControlDeviceServer first;
    ASSERT_EQ(first.Serve(kLinkName, device).Status, STATUS_SUCCESS);
    // The lock file alone keeps a second server out now.
    ControlDeviceServer second;
    EXPECT_EQ(second.Serve(kLinkName, device).Status, STATUS_OBJECT_NAME_COLLISION);
  }
  EXPECT_TRUE(std::filesystem::is_empty(Folder()));
}

}  // namespace
}  // namespace qvtouch::platform
