// Starting a program named by a path in the platform's form, such as the calibration program's
// "<ProgramFilesDir>\QVSerTouch\qvsercalib.exe": on Windows that program itself, on Linux the
// installed program it stands for.
//
//   const pid_t pid =
//   qvtouch::platform::StartProgram(R"(/usr/lib/qvtouch\QVSerTouch\qvsercalib.exe)");
//   // starts /usr/lib/qvtouch/QVSerTouch/qvsercalib; pid is -1, with errno set, when it cannot
//
// The program runs on its own: the caller does not wait for it. On Linux, once it has ended it
// stays a zombie until the caller reaps it with waitpid or ends itself; short-lived callers (the
// Control Panel host, the RunOnce runner) need do nothing.
#pragma once

#include <sys/types.h>

#include <span>
#include <string>
#include <string_view>

namespace qvtouch::platform {

#ifndef _WIN32
// The installed program that a platform program path names: every backslash becomes a slash and
// a trailing ".exe", in any case, is dropped. "C:" drive letters and quoting are not translated.
std::string InstalledProgramPath(std::string_view platformPath);
#endif

// On Windows: starts platformPath with CreateProcess, shown as the system's default, with a command
// line of its quoted path and the arguments quoted as the platform splits them; returns its process
// id, or -1 with errno set (ENOENT: no such program file; EACCES: not startable).
//
// On Linux: starts the installed program of platformPath with the arguments after the program's
// name, with posix_spawn and no shell: a path without a slash is looked up on PATH. The program
// gets this process's environment and standard streams (no other descriptor), default signal
// handling, no blocked signals and a session of its own, so that a signal to the caller's terminal
// does not reach it. Returns its pid, or -1 with errno set when it cannot be started (ENOENT: no
// such program file; EACCES: not executable).
pid_t StartProgram(std::string_view platformPath, std::span<const std::string> arguments = {});

}  // namespace qvtouch::platform
