#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/wait.h"

extern char** environ;

namespace qvtouch::testing {
namespace {

// The test's environment with the additions, ready for execve before the fork (the child of a
// threaded process may only make async-signal-safe calls).
std::vector<std::string> EnvironmentWith(
    const std::vector<std::pair<std::string, std::string>>& additions) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const std::string name = text.substr(0, text.find('='));
    const bool replaced = std::any_of(additions.begin(), additions.end(),
                                      [&name](const auto& added) { return added.first == name; });
    if (!replaced) entries.push_back(text);
  }
  for (const auto& [name, value] : additions) entries.push_back(name + "=" + value);
  return entries;
}

namespace fs = std::filesystem;
constexpr fs::perms kEveryoneMayRun = fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec;

// A new folder that everyone may enter.
fs::path FolderForEveryone() {
  std::string name = (fs::temp_directory_path() / "qvtouch-program-XXXXXX").string();
  if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp");
  fs::permissions(name, kEveryoneMayRun);
  return name;
}

fs::path CopyForEveryone(const fs::path& file, const fs::path& copy) {
  fs::copy_file(file, copy);
  fs::permissions(copy, kEveryoneMayRun);
  return copy;
}

// The sanitizers' options of a sanitizer build name suppressions files in the checkout: the other
// user reads copies of them from the folder.
std::vector<std::pair<std::string, std::string>> SanitizerOptionsWithCopies(
    const fs::path& folder) {
  constexpr std::string_view kSuppressions = "suppressions=";
  std::vector<std::pair<std::string, std::string>> variables;
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    const char* value = std::getenv(name);
    std::string options = value != nullptr ? value : "";
    const std::size_t at = options.find(kSuppressions);
    if (at == std::string::npos) continue;
    const std::size_t start = at + kSuppressions.size();
    const std::size_t length = options.find(':', start) - start;  // npos: to the end
    const fs::path copy = CopyForEveryone(options.substr(start, length),
                                          folder / (std::string(name) + ".supp"));
    options.replace(start, length, copy.string());
    variables.emplace_back(name, options);
  }
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, const ChildOptions& options) {
  ::signal(SIGPIPE, SIG_IGN);  // a child that has ended must not end the test
  std::array<int, 2> pipe{};
  if (::pipe2(pipe.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
  input_.Reset(pipe[1]);
  const platform::UniqueFd readEnd(pipe[0]);
  std::vector<std::pair<std::string, std::string>> additions = options.Environment;
  if (options.User && *options.User != ::geteuid()) {
    copyFolder_ = FolderForEveryone();
    argv[0] = CopyForEveryone(argv[0], copyFolder_ / fs::path(argv[0]).filename()).string();
    for (auto& variable : SanitizerOptionsWithCopies(copyFolder_)) additions.push_back(variable);
  }
  std::vector<std::string> environment = EnvironmentWith(additions);
  const std::vector<char*> arguments = Pointers(argv);
  const std::vector<char*> variables = Pointers(environment);
  platform::UniqueFd output;
  if (options.Output) {
    output.Reset(::open(options.Output->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!output) throw std::runtime_error("cannot create " + options.Output->string());
  }

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::dup2(readEnd.Get(), STDIN_FILENO);
    if (output) {
      ::dup2(output.Get(), STDOUT_FILENO);
      ::dup2(output.Get(), STDERR_FILENO);
    }
    ::close_range(STDERR_FILENO + 1, ~0U, 0);  // the child gets the standard streams only
    if (options.Group && ::setresgid(*options.Group, *options.Group, *options.Group) != 0) _exit(126);
    if (options.User && ::setresuid(*options.User, *options.User, *options.User) != 0) _exit(126);
    if (!copyFolder_.empty() && ::chdir(copyFolder_.c_str()) != 0) _exit(126);
    ::execve(arguments[0], arguments.data(), variables.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (!Exited()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  if (!copyFolder_.empty()) fs::remove_all(copyFolder_, ignored);
}

void ChildProcess::Input(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(input_.Get(), text.data(), text.size());
    if (written <= 0) throw std::runtime_error("the child takes no input");
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

void ChildProcess::Signal(int signal) { ::kill(pid_, signal); }

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds patience) {
  WaitUntil([this] { return Exited(); }, patience);
  return status_;
}

bool ChildProcess::Exited() {
  int status = 0;
  if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return status_.has_value();
}

}  // namespace qvtouch::testing
