// Which symbolic links a path may lead through: root's and this process's own, never another
// user's, however deep along the way.
#include "platform/posix/foreign_links.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace qvtouch::platform {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class ForeignLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
    std::string pattern = (fs::temp_directory_path() / "qvlinks-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(root_ / "real/dir");
    std::ofstream(root_ / "real/dir/file") << "x";
  }
  void TearDown() override {
    if (!root_.empty()) fs::remove_all(root_);
  }

  // A link at `at` to `target`, owned by `owner`.
  fs::path Link(const fs::path& at, const fs::path& target, uid_t owner) {
    fs::create_symlink(target, root_ / at);
    EXPECT_EQ(::lchown((root_ / at).c_str(), owner, static_cast<gid_t>(-1)), 0);
    return root_ / at;
  }

  fs::path root_;
};

TEST_F(ForeignLinks, RootsAndOwnLinksAreFollowedToTheEnd) {
  EXPECT_EQ(ForeignLink(root_ / "real/dir/file"), std::nullopt);
  Link("mine", "real/dir", 0);
  Link("real/up", "../real/dir/file", 0);
  EXPECT_EQ(ForeignLink(root_ / "mine/file"), std::nullopt);
  EXPECT_EQ(ForeignLink(root_ / "real/up"), std::nullopt);
  EXPECT_EQ(ForeignLink(root_ / "mine/not-yet-made"), std::nullopt);
}

TEST_F(ForeignLinks, AnotherUsersLinkIsFoundWhereverItStands) {
  const fs::path theirs = Link("real/dir/theirs", "/etc/passwd", kNobody);
  EXPECT_EQ(ForeignLink(theirs), theirs);
  // Reached through a link of root's, relative and absolute.
  Link("via", "real/dir", 0);
  EXPECT_EQ(ForeignLink(root_ / "via/theirs"), theirs);
  Link("absolute", root_ / "via", 0);
  EXPECT_EQ(ForeignLink(root_ / "absolute/theirs"), theirs);
  // As a folder along the way.
  const fs::path folder = Link("folder", "real", kNobody);
  EXPECT_EQ(ForeignLink(root_ / "folder/dir/file"), folder);
}

TEST_F(ForeignLinks, ALoopOfLinksCountsAsForeign) {
  Link("a", "b", 0);
  Link("b", "a", 0);
  EXPECT_TRUE(ForeignLink(root_ / "a").has_value());
}

// The open that resolves a path one name at a time: the same links are followed and refused, and
// what it opens is the file the path leads to.
TEST_F(ForeignLinks, AnOpenFollowsTheSameLinksAndOpensWhatThePathLeadsTo) {
  Link("mine", "real/dir", 0);
  Link("real/up", "../real/dir/file", 0);
  Link("absolute", root_ / "mine", 0);
  struct stat file {};
  ASSERT_EQ(::stat((root_ / "real/dir/file").c_str(), &file), 0);
  for (const char* path : {"real/dir/file", "mine/file", "real/up", "absolute/file"}) {
    const OpenedPath opened = OpenWithoutForeignLinks(root_ / path, O_RDONLY);
    struct stat status {};
    ASSERT_TRUE(opened.Fd.Valid()) << path << ": " << opened.Error;
    ASSERT_EQ(::fstat(opened.Fd.Get(), &status), 0);
    EXPECT_EQ(status.st_ino, file.st_ino) << path;
  }
  const OpenedPath made =
      OpenWithoutForeignLinks(root_ / "mine/new", O_WRONLY | O_CREAT | O_EXCL, 0600);
  EXPECT_TRUE(made.Fd.Valid());
  EXPECT_TRUE(fs::exists(root_ / "real/dir/new"));
  EXPECT_EQ(OpenWithoutForeignLinks(root_ / "real/missing/file", O_RDONLY).Error, ENOENT);

  const fs::path theirs = Link("real/dir/theirs", "/etc/passwd", kNobody);
  const fs::path folder = Link("folder", "real", kNobody);
  EXPECT_EQ(OpenWithoutForeignLinks(root_ / "mine/theirs", O_RDONLY).ForeignLink, theirs);
  EXPECT_EQ(OpenWithoutForeignLinks(root_ / "folder/dir/file", O_RDONLY).ForeignLink, folder);
  Link("a", "b", 0);
  Link("b", "a", 0);
  EXPECT_EQ(OpenWithoutForeignLinks(root_ / "a", O_RDONLY).Error, ELOOP);
}

}  // namespace
}  // namespace qvtouch::platform
