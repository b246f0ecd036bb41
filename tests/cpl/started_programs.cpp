#include "tests/cpl/started_programs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/wait.h"

namespace qvtouch::cpl::testing {
namespace {

struct ProcessStat {
  std::string Name;
  pid_t Parent = 0;
};

// From /proc/PID/stat: "PID (NAME) STATE PPID ...", where NAME may hold blanks and parentheses.
std::optional<ProcessStat> Stat(const std::filesystem::path& process) {
  std::ifstream in(process / "stat");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  const std::size_t open = line.find('(');
  const std::size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  std::istringstream rest(line.substr(close + 1));
  std::string state;
  ProcessStat stat{line.substr(open + 1, close - open - 1)};
  if (!(rest >> state >> stat.Parent)) return std::nullopt;
  return stat;
}

bool IsProcessId(const std::string& name, pid_t& pid) {
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  return error == std::errc() && end == name.data() + name.size();
}

}  // namespace

std::vector<pid_t> ChildrenNamed(std::string_view name) {
  std::vector<pid_t> children;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    pid_t pid = 0;
    if (!IsProcessId(entry.path().filename().string(), pid)) continue;
    const std::optional<ProcessStat> stat = Stat(entry.path());
    if (stat && stat->Parent == ::getpid() && stat->Name == name) children.push_back(pid);
  }
  return children;
}

std::optional<int> Reap(pid_t child, std::chrono::milliseconds patience) {
  int status = 0;
  pid_t waited = 0;
  qvtouch::testing::WaitUntil(
      [child, &status, &waited] { return (waited = ::waitpid(child, &status, WNOHANG)) != 0; },
      patience);
  if (waited == 0) {  // still running: no other process can have taken its id
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return std::nullopt;
  }
  if (waited != child) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace qvtouch::cpl::testing
