// Where the system's files live, and which QVTOUCH_ROOT a process takes: one that nobody but root
// or its own user can change, never a folder that another user could fill with a store, a RunOnce
// command or a link of theirs.
#include "platform/paths/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

namespace qvtouch::platform {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class SystemRootChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qvpaths-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    ::unsetenv("QVTOUCH_ROOT");
    fs::remove_all(folder_);
  }

  fs::path RootFor(const fs::path& root) {
    ::setenv("QVTOUCH_ROOT", root.c_str(), 1);
    return SystemRoot();
  }

  fs::path folder_;
};

TEST_F(SystemRootChoice, AFolderOfThisUsersOwnIsTakenWithEveryPathUnderIt) {
  EXPECT_EQ(RootFor(folder_), folder_);
  EXPECT_EQ(MachineStateDir(), folder_ / "var/lib/qvtouch");
  EXPECT_EQ(RuntimeDir(), folder_ / "run/qvtouch");
  EXPECT_EQ(UserDataDir(), folder_ / "home/.local/share/qvtouch");
  EXPECT_EQ(RootFor(folder_ / "not/made/yet"), folder_ / "not/made/yet") << "its own to make";
  EXPECT_EQ(RootFor(""), fs::path("/"));
}

TEST_F(SystemRootChoice, RootIgnoresAFolderThatAnotherUserCouldChange) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  const fs::path theirs = folder_ / "theirs";
  fs::create_directories(theirs / "mine");
  ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(RootFor(theirs), fs::path("/")) << "another user's folder";
  EXPECT_EQ(MachineStateDir(), fs::path("/var/lib/qvtouch"));
  EXPECT_EQ(RootFor(theirs / "mine"), fs::path("/")) << "root's folder in another user's";
  EXPECT_EQ(RootFor(theirs / "not-yet"), fs::path("/")) << "to be made in another user's";
  const fs::path open = folder_ / "open";
  fs::create_directory(open);
  fs::permissions(open, fs::perms::all);
  EXPECT_EQ(RootFor(open), fs::path("/")) << "a folder everyone may write";
  EXPECT_EQ(RootFor(folder_), folder_) << "root's own folder";
}

}  // namespace
}  // namespace qvtouch::platform
