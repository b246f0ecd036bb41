#include "tests/platform/serial/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

extern char** environ;

namespace qvtouch::platform::testing {

SimProcess::SimProcess(std::vector<std::string> args) {
  ::signal(SIGPIPE, SIG_IGN);  // a simulator that has ended must not end the test
  std::array<int, 2> pipe{};
  if (::pipe2(pipe.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
  input_.Reset(pipe[1]);
  const UniqueFd readEnd(pipe[0]);

  args.insert(args.begin(), QVTOUCH_SIM_BINARY);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, readEnd.Get(), STDIN_FILENO);
  const int error = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("posix_spawn");
}

SimProcess::~SimProcess() {
  if (status_) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

void SimProcess::Input(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(input_.Get(), text.data(), text.size());
    if (written <= 0) throw std::runtime_error("the simulator takes no input");
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

void SimProcess::Signal(int signal) {
  ::kill(pid_, signal);
}

std::optional<int> SimProcess::Wait(std::chrono::milliseconds patience) {
  WaitUntil([this] { return Exited(); }, patience);
  return status_;
}

bool SimProcess::Exited() {
  int status = 0;
  if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return status_.has_value();
}

}  // namespace qvtouch::platform::testing
