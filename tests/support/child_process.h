// A program the test starts as a child process, with its standard input on a pipe the test
// writes, extra environment variables, and optionally another user. A program run as another user
// runs from a copy in a folder of its own that every user may enter, so that the checkout and the
// build need not be: they may lie in a private folder (a home of mode 0700).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace qvtouch::testing {

struct ChildOptions {
  std::vector<std::pair<std::string, std::string>> Environment;  // added to the test's own
  std::optional<uid_t> User;                                     // with that user's group
  std::optional<gid_t> Group;
  // Where its standard output and standard error go (created or emptied); the test's own if none.
  std::optional<std::filesystem::path> Output = std::nullopt;
};

class ChildProcess {
 public:
  // Starts argv[0] with the arguments; throws std::runtime_error when it cannot be started.
  explicit ChildProcess(std::vector<std::string> argv, const ChildOptions& options = {});
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Input(std::string_view text);
  void CloseInput() { input_.Reset(); }
  void Signal(int signal);
  // The exit status once it has exited (128 + the signal when a signal ended it); nullopt while
  // it runs on past the patience.
  std::optional<int> Wait(std::chrono::milliseconds patience = std::chrono::seconds(10));
  bool Running() { return !Exited(); }

 private:
  bool Exited();

  std::filesystem::path copyFolder_;  // the program's copy for another user; empty when none
  pid_t pid_ = -1;
  platform::UniqueFd input_;
  std::optional<int> status_;
};

}  // namespace qvtouch::testing
