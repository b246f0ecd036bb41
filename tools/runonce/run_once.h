// The commands under HKEY_LOCAL_MACHINE RunOnce, each run once, the way the platform runs them at
// logon: a value is deleted before its command runs, so that a command runs once even when it
// fails, and a value that cannot be deleted is not run, or it would run at every logon.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvtouch::runonce {

// Runs one command line; returns why it could not, or an empty text.
using CommandRunner = std::function<std::string(const std::string& commandLine)>;

// Hands each REG_SZ value's command line to run, in the order the values were stored, each just
// after its value was deleted; values of other types are left alone. A value that another runner
// deleted first is skipped: that runner runs it. A user who may not change the machine's settings
// runs nothing, which is no failure. Returns one line for each thing that failed.
std::vector<std::string> RunOnceCommands(const CommandRunner& run);

}  // namespace qvtouch::runonce
