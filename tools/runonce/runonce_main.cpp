// qvtouch-runonce: runs the commands scheduled under HKEY_LOCAL_MACHINE RunOnce, once each, at a
// user's logon (packaging/qvtouch-runonce.desktop starts it). It takes no options. Each command
// that could not be run is named on standard error; the exit status is then 1, else 0.
#include <iostream>
#include <string_view>

#include "tools/runonce/run_command.h"
#include "tools/runonce/run_once.h"

namespace {

constexpr std::string_view kUsage =
    "usage: qvtouch-runonce\n"
    "Runs each command scheduled under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
    "CurrentVersion\\RunOnce once, deleting its value first. It takes no options.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (argc > 1) {
    std::cerr << "qvtouch-runonce: takes no options (qvtouch-runonce --help)\n";
    return 2;
  }
  const std::vector<std::string> failures =
      qvtouch::runonce::RunOnceCommands(qvtouch::runonce::RunCommandLine);
  for (const std::string& failure : failures) std::cerr << "qvtouch-runonce: " << failure << '\n';
  return failures.empty() ? 0 : 1;
}
