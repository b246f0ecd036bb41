#include "platform/input/line_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/input/sink_error.h"
#include "platform/input/sink_choice.h"
#include "platform/posix/foreign_links.h"

namespace qvtouch::platform {
namespace {

constexpr mode_t kCreatedFileMode = 0666;  // less the umask, as fopen makes files

// A file of its own, appended to: never a device or a pipe, and never reached through another
// user's link. Close on exec, so that programs the host starts do not inherit the log.
std::FILE* OpenFile(std::string_view path) {
  if (path == kStandardOutputPath || path == kHostLogPath) return nullptr;
  const std::string name(path);
  // Non-blocking: a pipe in its place, refused below, would hold the open up until read.
  OpenedPath opened = OpenWithoutForeignLinks(
      name, O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_NONBLOCK, kCreatedFileMode);
  if (opened.ForeignLink) {
    throw SinkError("recorder file " + name + " is reached through " +
                    opened.ForeignLink->string() + ", a symbolic link of another user");
  }
  if (!opened.Fd) {
    throw SinkError("cannot open recorder file " + name + ": " + std::strerror(opened.Error));
  }
  struct stat status {};
  if (::fstat(opened.Fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw SinkError("recorder file " + name + " is not a file of its own");
  }
  std::FILE* file = ::fdopen(opened.Fd.Get(), "a");
  if (file == nullptr) {
    throw SinkError("cannot open recorder file " + name + ": " + std::strerror(errno));
  }
  opened.Fd.Release();  // the stream's now
  return file;
}

}  // namespace

LineOutput::LineOutput(std::string_view path)
    : owned_(OpenFile(path)),
      file_(owned_                        ? owned_.get()
            : path == kStandardOutputPath ? stdout
                                          : stderr),
      destination_(owned_                        ? std::string(path)
                   : path == kStandardOutputPath ? "standard output"
                                                 : "standard error") {}

void LineOutput::Write(std::string_view line) {
  // Held across the three calls, so that other writers of the stream never split a line.
  flockfile(file_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
  funlockfile(file_);
}

}  // namespace qvtouch::platform
