// A JSON Lines destination of the recorder sinks: each line is written whole and flushed at once,
// so that a reader (a test, a person tailing the log) sees every event as it happens.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace qvtouch::platform {

class LineOutput {
 public:
  // kStandardOutputPath, kHostLogPath (standard error) or a file, created or appended to. Throws
  // SinkError when the file cannot be opened.
  explicit LineOutput(std::string_view path);

  // Writes the line and a newline. A failing write is not reported: the recorder is a log.
  void Write(std::string_view line);

  // "standard output", "standard error" or the file's path.
  const std::string& Destination() const { return destination_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> owned_;
  std::FILE* file_;
  std::string destination_;
};

}  // namespace qvtouch::platform
