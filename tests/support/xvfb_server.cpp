#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/wait.h"

namespace qvtouch::testing {
namespace {

constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 400;
constexpr int kStartAttempts = 20;
constexpr std::chrono::seconds kStartPatience{15};
constexpr std::chrono::milliseconds kPollInterval{50};
// How long a helper program (xrandr, import) may take before it counts as hung.
constexpr std::chrono::seconds kProgramPatience{30};

std::string LockFile(int number) {
  return "/tmp/.X" + std::to_string(number) + "-lock";
}

bool DisplayInUse(int number) {
  return std::filesystem::exists(LockFile(number)) ||
         std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number));
}

// The process that holds the display number: its server writes its pid into the lock file.
pid_t LockOwner(int number) {
  std::ifstream lock(LockFile(number));
  pid_t owner = -1;
  lock >> owner;
  return owner;
}

// Starts the program with its standard output discarded and its standard error on errorFd
// (discarded too when -1); -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& arguments, int errorFd = -1) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (errorFd == -1) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed != 0 ? -1 : pid;
}

std::string DisplayName(int number) {
  return ":" + std::to_string(number);
}

bool DisplayAnswers(const std::string& name) {
  Display* display = XOpenDisplay(name.c_str());
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

// The first number from `from` on that no server holds; -1 when there is none.
int UnusedDisplayNumber(int from) {
  for (int number = from; number <= kLastDisplay; ++number) {
    if (!DisplayInUse(number)) return number;
  }
  return -1;
}

}  // namespace

XvfbServer::XvfbServer(int width, int height) {
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  // Test programs running side by side start their search at different numbers, so that they
  // seldom race for the same one.
  int number = kFirstDisplay + static_cast<int>(::getpid() % 200);
  for (int attempt = 0; attempt < kStartAttempts; ++attempt, ++number) {
    number = UnusedDisplayNumber(number);
    if (number == -1) return;
    if (Start(number, screen)) {
      name_ = DisplayName(number);
      return;
    }
  }
}

XvfbServer::~XvfbServer() {
  Kill();
}

bool XvfbServer::Start(int number, const std::string& screen) {
  const std::string name = DisplayName(number);
  pid_ = Spawn({"Xvfb", name, "-noreset", "-nolisten", "tcp", "-screen", "0", screen});
  if (pid_ == -1) return false;
  const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    // Another test program may start a server on the same number at the same moment: only the
    // one that holds the lock is ours.
    if (LockOwner(number) == pid_ && DisplayAnswers(name)) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // it lost the number
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  Kill();
  return false;
}

void XvfbServer::Kill() {
  if (pid_ == -1) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::string UnusedDisplayName() {
  const int number = UnusedDisplayNumber(kFirstDisplay);
  return number == -1 ? std::string() : DisplayName(number);
}

ProgramResult RunProgram(const std::vector<std::string>& arguments) {
  std::array<int, 2> pipe{};
  if (::pipe2(pipe.data(), O_CLOEXEC) == -1) return {-1, "pipe2 failed"};
  const pid_t pid = Spawn(arguments, pipe[1]);
  ::close(pipe[1]);
  ProgramResult result;
  std::array<char, 256> buffer{};
  const auto deadline = std::chrono::steady_clock::now() + kProgramPatience;
  pollfd errors{pipe[0], POLLIN, 0};
  while (std::chrono::steady_clock::now() < deadline &&
         ::poll(&errors, 1, static_cast<int>(kPollInterval.count())) >= 0) {
    if (errors.revents == 0) continue;
    const ssize_t got = ::read(pipe[0], buffer.data(), buffer.size());
    if (got <= 0) break;
    result.Errors.append(buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(pipe[0]);
  if (pid == -1) return result;
  int status = 0;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  if (!WaitUntil([pid, &status] { return ::waitpid(pid, &status, WNOHANG) == pid; }, left)) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return result;
  }
  if (WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  return result;
}

std::string XvfbServer::SetMonitors(const std::vector<Monitor>& monitors) const {
  std::string errors;
  for (const Monitor& monitor : monitors) {
    const ProgramResult result = RunProgram({"xrandr", "--display", name_, "--setmonitor",
                                             monitor.Name, monitor.Geometry, monitor.Output});
    if (result.ExitStatus != 0) {
      errors += "xrandr --setmonitor " + monitor.Name + " exited with " +
                std::to_string(result.ExitStatus) + ": " + result.Errors;
    }
  }
  return errors;
}

}  // namespace qvtouch::testing
