// Starting a command line of the platform's form as the installed program it names.
#pragma once

#include <string>

namespace qvtouch::runonce {

// Splits the command line (command_line.h), starts its program translated to the installed
// program (platform/programs) with its arguments, and waits until it has ended. Returns why it
// could not be started, or an empty text; how the program ends is its own affair.
std::string RunCommandLine(const std::string& commandLine);

}  // namespace qvtouch::runonce
