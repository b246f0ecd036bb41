#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/replay/replay.h"

namespace {

constexpr const char* kUsage =
    "usage: qvtouch-replay [--set NAME=VALUE]... [--reload] [--arm-capture] [--fail-before N]... "
    "[FILE | -]";

int CannotRead(const std::string& file, const char* why) {
  std::fprintf(stderr, "qvtouch-replay: cannot read %s: %s\n", file.c_str(), why);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::printf("%s\nFeeds a controller's byte stream (FILE, or standard input) through the driver "
                "and prints what it sends as JSON Lines.\n",
                kUsage);
    return 0;
  }
  auto parsed = qvtouch::replay::ParseOptions(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "qvtouch-replay: %s (%s)\n", error->c_str(), kUsage);
    return 2;
  }
  const auto& options = std::get<qvtouch::replay::Options>(parsed);
  if (const auto problem = qvtouch::replay::LineProblem(options)) {
    std::fprintf(stderr, "qvtouch-replay: %s\n", problem->c_str());
    return 1;
  }
  std::ios::sync_with_stdio(false);
  if (options.File.empty() || options.File == "-") {
    qvtouch::replay::Run(options, std::cin, std::cout);
    return 0;
  }
  std::error_code error;
  if (std::filesystem::is_directory(options.File, error)) {
    return CannotRead(options.File, std::strerror(EISDIR));
  }
  std::ifstream file(options.File, std::ios::binary);
  if (!file) return CannotRead(options.File, std::strerror(errno));
  qvtouch::replay::Run(options, file, std::cout);
  return 0;
}
