#include "tests/reactos/session_log.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/reactos/session_plan.h"

namespace qvtouch::testing::reactos {
namespace {

bool TakePrefix(std::string& line, std::string_view prefix) {
  if (!line.starts_with(prefix)) return false;
  line.erase(0, prefix.size());
  return true;
}

}  // namespace

SessionLog ReadSessionLog(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(file.string() + ": cannot be read");
  SessionLog log;
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.find(kLinePrefix);
    if (at == std::string::npos) continue;
    line.erase(0, at + kLinePrefix.size());
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    log.Lines.push_back(line);
    if (TakePrefix(line, kScreenLine)) {
      std::istringstream(line) >> log.ScreenWidth >> log.ScreenHeight;
    } else if (TakePrefix(line, kSettingLine)) {
      std::string name;
      std::uint32_t value = 0;
      if (std::istringstream(line) >> name >> value) log.Settings[name] = value;
    } else if (TakePrefix(line, kPointerLine)) {
      PointerMessage message;
      if (std::istringstream(line) >> message.Kind >> message.X >> message.Y) {
        log.Pointer.push_back(message);
      }
    } else {
      std::istringstream words(line);
      GuestSummary summary;
      std::string passed, failed;
      if (words >> summary.Passed >> passed >> summary.Failed >> failed && passed == "passed," &&
          failed == "failed") {
        log.Summary = summary;
      }
    }
  }
  return log;
}

}  // namespace qvtouch::testing::reactos
