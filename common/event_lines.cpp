#include "common/event_lines.h"

namespace qvtouch {

std::string SendEventLine(const MOUSE_INPUT_DATA& record) {
  return R"({"event":"send","flags":)" + std::to_string(record.Flags) + R"(,"buttons":)" +
         std::to_string(record.ButtonFlags) + R"(,"x":)" + std::to_string(record.LastX) +
         R"(,"y":)" + std::to_string(record.LastY) + "}";
}

std::string BeepEventLine(std::uint32_t frequency, std::int64_t milliseconds) {
  return R"({"event":"beep","freq":)" + std::to_string(frequency) + R"(,"ms":)" +
         std::to_string(milliseconds) + "}";
}

std::string ToneEventLine(std::uint32_t frequency) {
  return R"({"event":"tone","freq":)" + std::to_string(frequency) + "}";
}

}  // namespace qvtouch
