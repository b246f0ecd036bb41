#include <algorithm>
#include <cctype>

#include "platform/programs/programs.h"

namespace qvtouch::platform {
namespace {

constexpr std::string_view kProgramExtension = ".exe";

bool EndsWithProgramExtension(std::string_view path) {
  if (path.size() < kProgramExtension.size()) return false;
  const std::string_view tail = path.substr(path.size() - kProgramExtension.size());
  return std::equal(tail.begin(), tail.end(), kProgramExtension.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

std::string InstalledProgramPath(std::string_view platformPath) {
  if (EndsWithProgramExtension(platformPath)) platformPath.remove_suffix(kProgramExtension.size());
  std::string path(platformPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace qvtouch::platform
