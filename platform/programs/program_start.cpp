#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/programs/programs.h"

namespace qvtouch::platform {
namespace {

// Spawn attributes that detach the program from the caller's signal state and terminal.
class DetachedAttributes {
 public:
  DetachedAttributes() {
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setflags(&attributes_,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  }
  ~DetachedAttributes() { posix_spawnattr_destroy(&attributes_); }
  DetachedAttributes(const DetachedAttributes&) = delete;
  DetachedAttributes& operator=(const DetachedAttributes&) = delete;

  const posix_spawnattr_t* Get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
};

// The program gets the standard streams and nothing else: a descriptor this process holds without
// close-on-exec, inherited from its own starter for example, is not the program's to keep open.
class StandardStreamsOnly {
 public:
  StandardStreamsOnly() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
  }
  ~StandardStreamsOnly() { posix_spawn_file_actions_destroy(&actions_); }
  StandardStreamsOnly(const StandardStreamsOnly&) = delete;
  StandardStreamsOnly& operator=(const StandardStreamsOnly&) = delete;

  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
};

}  // namespace

pid_t StartProgram(std::string_view platformPath, std::span<const std::string> arguments) {
  const std::string program = InstalledProgramPath(platformPath);
  if (program.empty()) {
    errno = ENOENT;
    return -1;
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const DetachedAttributes attributes;
  const StandardStreamsOnly files;
  pid_t pid = -1;
  const int failed =
      posix_spawnp(&pid, program.c_str(), files.Get(), attributes.Get(), argv.data(), environ);
  if (failed != 0) {
    errno = failed;
    return -1;
  }
  return pid;
}

}  // namespace qvtouch::platform
