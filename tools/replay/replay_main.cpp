#include <cstdio>
#include <fstream>
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/replay/replay.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  auto parsed = qvtouch::replay::ParseOptions(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr,
                 "qvtouch-replay: %s (usage: qvtouch-replay [--set NAME=VALUE]... [--reload] "
                 "[--arm-capture] [--fail-before N]... [FILE | -])\n",
                 error->c_str());
    return 2;
  }
  const auto& options = std::get<qvtouch::replay::Options>(parsed);
  std::ios::sync_with_stdio(false);
  if (options.File.empty() || options.File == "-") {
    qvtouch::replay::Run(options, std::cin, std::cout);
    return 0;
  }
  std::ifstream file(options.File, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "qvtouch-replay: cannot read %s\n", options.File.c_str());
    return 1;
  }
  qvtouch::replay::Run(options, file, std::cout);
  return 0;
}
