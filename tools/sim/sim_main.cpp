// qvtouch-sim: the touch controller simulator. It reads script lines from standard input (see
// script.h) and writes the controller's byte stream for each to standard output as it arrives.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "tools/sim/script.h"

namespace {

constexpr const char* kUsage = "usage: qvtouch-sim < SCRIPT";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr, "qvtouch-sim: unknown option %s\n%s\n", argv[1], kUsage);
    return 2;
  }
  qvtouch::sim::TouchScript script;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (const auto error = qvtouch::sim::RunScriptLine(line, script)) {
      std::fprintf(stderr, "qvtouch-sim: %s\n", error->c_str());
      return 2;
    }
    for (const qvtouch::sim::Chunk& chunk : script.TakeChunks()) {
      std::fwrite(chunk.Bytes.data(), 1, chunk.Bytes.size(), stdout);
      if (chunk.WaitMilliseconds != 0) {
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(chunk.WaitMilliseconds));
      }
    }
    std::fflush(stdout);
  }
  return 0;
}
