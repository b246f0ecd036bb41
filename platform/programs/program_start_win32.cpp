#include <windows.h>

#include <cerrno>

#include "platform/programs/programs.h"

namespace qvtouch::platform {
namespace {

// An argument as the platform's command-line splitting reads it back: in quotes, with each run of
// backslashes doubled where it stands before a quote, and every quote escaped.
void AppendQuoted(std::string& line, std::string_view argument) {
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, '\\');
  line += '"';
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    default:
      return EACCES;
  }
}

}  // namespace

pid_t StartProgram(std::string_view platformPath, std::span<const std::string> arguments) {
  const std::string program(platformPath);
  // The program is named whole, so a folder with blanks is never read as a shorter program's path.
  std::string commandLine = '"' + program + '"';
  for (const std::string& argument : arguments) {
    commandLine += ' ';
    AppendQuoted(commandLine, argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWDEFAULT;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    errno = ErrnoOf(GetLastError());
    return -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<pid_t>(process.dwProcessId);
}

}  // namespace qvtouch::platform
