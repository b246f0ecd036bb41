// An X server of the test's own: Xvfb on a display number nobody uses, stopped with the object.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qvtouch::testing {

class XvfbServer {
 public:
  // Starts `Xvfb :N -noreset -screen 0 WIDTHxHEIGHTx24` and waits, for a bounded time, until it
  // answers. Name() is empty when no server could be started.
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& Name() const { return name_; }  // ":N"

  // A RandR monitor of the screen: its name ('*' first for the primary), its geometry as
  // xrandr --setmonitor takes it ("800/211x600/158+0+0"), and its output ("screen" or "none").
  struct Monitor {
    std::string Name;
    std::string Geometry;
    std::string Output;
  };
  // Sets up the monitors; returns what xrandr said when it failed, else an empty text.
  std::string SetMonitors(const std::vector<Monitor>& monitors) const;

 private:
  // Starts the server on the number; false when it does not come up as ours.
  bool Start(int number, const std::string& screen);
  void Kill();

  pid_t pid_ = -1;
  std::string name_;
};

// ":N" for a display number that no server holds (no lock file, no socket).
std::string UnusedDisplayName();

struct ProgramResult {
  int ExitStatus = -1;  // the exit status, or -1 when the program could not be run or was killed
  std::string Errors;   // what it wrote on standard error
};

// Runs the program (found on PATH) with its arguments, its standard output discarded; one that
// runs on past 30 seconds is killed.
ProgramResult RunProgram(const std::vector<std::string>& arguments);

}  // namespace qvtouch::testing
