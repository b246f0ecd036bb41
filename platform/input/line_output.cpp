#include "platform/input/line_output.h"

#include <cerrno>
#include <cstring>

#include "platform/input/sink_error.h"
#include "platform/input/sink_choice.h"
#include "platform/posix/foreign_links.h"

namespace qvtouch::platform {
namespace {

std::FILE* OpenFile(std::string_view path) {
  if (path == kStandardOutputPath || path == kHostLogPath) return nullptr;
  if (const auto link = ForeignLink(std::string(path))) {
    throw SinkError("recorder file " + std::string(path) + " is reached through " +
                    link->string() + ", a symbolic link of another user");
  }
  // "e": close on exec, so that programs the host starts do not inherit the log.
  std::FILE* file = std::fopen(std::string(path).c_str(), "ae");
  if (file == nullptr) {
    throw SinkError("cannot open recorder file " + std::string(path) + ": " + std::strerror(errno));
  }
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
