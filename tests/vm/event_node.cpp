#include "tests/vm/event_node.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <filesystem>

#include "platform/sound/evdev_tone.h"

namespace qvtouch::testing {
namespace {

constexpr std::size_t kBitsPerLong = sizeof(unsigned long) * CHAR_BIT;
constexpr std::size_t kLongsForAnyCode = (KEY_MAX + kBitsPerLong) / kBitsPerLong;

std::set<unsigned> SetBits(const std::array<unsigned long, kLongsForAnyCode>& words,
                           unsigned highest) {
  std::set<unsigned> bits;
  for (unsigned bit = 0; bit <= highest; ++bit) {
    if ((words[bit / kBitsPerLong] >> (bit % kBitsPerLong)) & 1) bits.insert(bit);
  }
  return bits;
}

std::string DeviceName(int fd) {
  std::array<char, 256> name{};
  if (::ioctl(fd, EVIOCGNAME(name.size() - 1), name.data()) < 0) return {};
  return name.data();
}

}  // namespace

void PrintTo(const InputEvent& event, std::ostream* out) {
  *out << "{type " << event.Type << ", code " << event.Code << ", value " << event.Value << "}";
}

std::unique_ptr<EventNode> EventNode::Find(std::string_view name) {
  for (const std::string& path : platform::EventDevicePaths()) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd && DeviceName(fd.Get()) == name) return std::make_unique<EventNode>(path, std::move(fd));
  }
  return nullptr;
}

std::string EventNode::SysfsPath() const {
  return "/sys/class/input/" + std::filesystem::path(path_).filename().string();
}

std::set<unsigned> EventNode::Bits(unsigned type, unsigned highest) const {
  std::array<unsigned long, kLongsForAnyCode> words{};
  ::ioctl(fd_.Get(), EVIOCGBIT(type, sizeof(words)), words.data());
  return SetBits(words, highest);
}

std::set<unsigned> EventNode::Properties() const {
  std::array<unsigned long, kLongsForAnyCode> words{};
  ::ioctl(fd_.Get(), EVIOCGPROP(sizeof(words)), words.data());
  return SetBits(words, INPUT_PROP_MAX);
}

input_absinfo EventNode::Axis(unsigned code) const {
  input_absinfo axis{};
  ::ioctl(fd_.Get(), EVIOCGABS(code), &axis);
  return axis;
}

std::vector<InputEvent> EventNode::Read(std::size_t count, std::chrono::milliseconds quiet) {
  std::vector<InputEvent> events = std::move(unread_);
  unread_.clear();
  while (events.size() < count) {
    pollfd readable{fd_.Get(), POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(quiet.count())) <= 0) break;
    std::array<input_event, 64> chunk{};
    const ssize_t got = ::read(fd_.Get(), chunk.data(), sizeof(chunk));
    if (got <= 0) break;
    for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
      events.push_back({chunk[i].type, chunk[i].code, chunk[i].value});
    }
  }
  return events;
}

bool EventNode::Present() {
  std::array<input_event, 64> chunk{};
  const ssize_t got = ::read(fd_.Get(), chunk.data(), sizeof(chunk));
  for (std::size_t i = 0; got > 0 && i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
    unread_.push_back({chunk[i].type, chunk[i].code, chunk[i].value});
  }
  return got >= 0 || errno != ENODEV;
}

}  // namespace qvtouch::testing
