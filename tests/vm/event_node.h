// An input event device (/dev/input/eventN) read as a program on the desktop reads it: its name,
// its capabilities and the events it delivers.
#pragma once

#include <linux/input.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace qvtouch::testing {

struct InputEvent {
  std::uint16_t Type = 0;
  std::uint16_t Code = 0;
  std::int32_t Value = 0;
  bool operator==(const InputEvent&) const = default;
};

void PrintTo(const InputEvent& event, std::ostream* out);

class EventNode {
 public:
  // The event device named `name`, opened for reading; null when there is none.
  static std::unique_ptr<EventNode> Find(std::string_view name);

  EventNode(std::string path, platform::UniqueFd fd) : path_(std::move(path)), fd_(std::move(fd)) {}

  const std::string& Path() const { return path_; }
  // Its device in sysfs (/sys/class/input/eventN), where udev looks at it.
  std::string SysfsPath() const;

  std::set<unsigned> Types() const { return Bits(0, EV_MAX); }
  std::set<unsigned> Codes(unsigned type, unsigned highest) const { return Bits(type, highest); }
  std::set<unsigned> Properties() const;
  input_absinfo Axis(unsigned code) const;

  // The events delivered from now on, until `count` have come or none has come for `quiet`.
  // SYN_REPORT is kept: it ends each frame.
  std::vector<InputEvent> Read(std::size_t count, std::chrono::milliseconds quiet);
  // Whether the device is still there (reading it does not fail with ENODEV).
  bool Present();

 private:
  std::set<unsigned> Bits(unsigned type, unsigned highest) const;

  std::string path_;
  platform::UniqueFd fd_;
  std::vector<InputEvent> unread_;  // events read by Present, for the next Read
};

}  // namespace qvtouch::testing
