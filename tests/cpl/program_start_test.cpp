// Programs named by the platform's paths: the installed path, and a start that does not wait.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/programs/programs.h"
#include "tests/support/wait.h"

namespace qvtouch::platform {
namespace {

TEST(InstalledProgramPath, TurnsBackslashesIntoSlashesAndDropsTheProgramExtension) {
  EXPECT_EQ(InstalledProgramPath(R"(/usr/lib/qvtouch\QVSerTouch\qvsercalib.exe)"),
            "/usr/lib/qvtouch/QVSerTouch/qvsercalib");
  EXPECT_EQ(InstalledProgramPath(R"(\QVSerTouch\qvsercalib.EXE)"), "/QVSerTouch/qvsercalib");
  EXPECT_EQ(InstalledProgramPath("/opt/tool.Exe"), "/opt/tool");
  EXPECT_EQ(InstalledProgramPath("/opt/tool.exe.bak"), "/opt/tool.exe.bak");
  EXPECT_EQ(InstalledProgramPath("/opt/exe"), "/opt/exe");
  EXPECT_EQ(InstalledProgramPath(".exe"), "");
}

class ProgramStart : public ::testing::Test {
 protected:
  ProgramStart() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvprograms-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~ProgramStart() override { std::filesystem::remove_all(folder_); }

  // A program that writes its session id and its arguments to `out`.
  std::filesystem::path Program(std::filesystem::perms permissions) {
    const auto program = folder_ / "tool";
    std::ofstream(program) << "#!/bin/sh\necho \"$(cut -d' ' -f6 /proc/$$/stat) $*\" > \""
                           << Out().string() << ".part\"\nmv \"" << Out().string() << ".part\" \""
                           << Out().string() << "\"\n";
    std::filesystem::permissions(program, permissions);
    return program;
  }
  std::filesystem::path Out() const { return folder_ / "out"; }

  std::filesystem::path folder_;
};

TEST_F(ProgramStart, StartsTheInstalledProgramInASessionOfItsOwn) {
  const auto program = Program(std::filesystem::perms::owner_all);
  const std::vector<std::string> arguments{"one", "two words"};
  const pid_t pid = StartProgram(program.string() + ".exe", arguments);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(testing::WaitUntil([this] { return std::filesystem::exists(Out()); }));
  std::ifstream in(Out());
  pid_t session = 0;
  std::string rest;
  in >> session;
  std::getline(in, rest);
  EXPECT_EQ(session, pid) << "the program leads a session of its own";
  EXPECT_EQ(rest, " one two words");
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid) << "the caller reaps it when it wants to";
}

// A descriptor the caller holds without close-on-exec (one it inherited, say) stays the caller's:
// a started program that held the write end of a pipe would keep its reader from ever seeing
// the end.
TEST_F(ProgramStart, TheProgramGetsOnlyTheStandardStreams) {
  const int held = ::fcntl(STDERR_FILENO, F_DUPFD, 50);  // no close-on-exec
  ASSERT_GE(held, 50);
  const auto program = folder_ / "fds";
  std::ofstream(program) << "#!/bin/sh\n[ -e /proc/$$/fd/" << held << " ] && r=held || r=closed\n"
                         << "echo $r > \"" << Out().string() << ".part\"\nmv \"" << Out().string()
                         << ".part\" \"" << Out().string() << "\"\n";
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  const pid_t pid = StartProgram(program.string());
  ::close(held);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(testing::WaitUntil([this] { return std::filesystem::exists(Out()); }));
  std::string result;
  std::ifstream(Out()) >> result;
  EXPECT_EQ(result, "closed");
  ::waitpid(pid, nullptr, 0);
}

TEST_F(ProgramStart, SaysWhyAProgramCannotBeStarted) {
  errno = 0;
  EXPECT_EQ(StartProgram((folder_ / "missing.exe").string()), -1);
  EXPECT_EQ(errno, ENOENT);
  const auto program =
      Program(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(StartProgram(program.string()), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(StartProgram(".exe"), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
}  // namespace qvtouch::platform
