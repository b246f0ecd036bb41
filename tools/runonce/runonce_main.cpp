// qvtouch-runonce: runs the commands scheduled under HKEY_LOCAL_MACHINE RunOnce, once each, at a
// user's logon (packaging/qvtouch-runonce.desktop starts it). It takes no options. Each command
// that could not be run is named on standard error; the exit status is then 1, else 0.
#include <iostream>

#include "tools/runonce/run_command.h"
#include "tools/runonce/run_once.h"

int main() {
  const std::vector<std::string> failures =
      qvtouch::runonce::RunOnceCommands(qvtouch::runonce::RunCommandLine);
  for (const std::string& failure : failures) std::cerr << "qvtouch-runonce: " << failure << '\n';
  return failures.empty() ? 0 : 1;
}
