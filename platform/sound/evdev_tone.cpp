#include "platform/sound/evdev_tone.h"

#include <linux/input.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <system_error>
#include <utility>

namespace qvtouch::platform {
namespace {

constexpr std::string_view kEventPrefix = "event";
constexpr std::size_t kBitsPerLong = sizeof(unsigned long) * CHAR_BIT;

// An evdev capability bitmap, as EVIOCGBIT fills it.
template <std::size_t Bits>
class Capabilities {
 public:
  bool Read(DeviceFile& device, unsigned type) {
    return device.IoctlStruct(EVIOCGBIT(type, sizeof(words_)), words_.data());
  }
  bool Has(unsigned bit) const {
    return ((words_[bit / kBitsPerLong] >> (bit % kBitsPerLong)) & 1) != 0;
  }

 private:
  std::array<unsigned long, (Bits + kBitsPerLong - 1) / kBitsPerLong> words_{};
};

bool ReportsTone(DeviceFile& device) {
  Capabilities<EV_CNT> types;
  Capabilities<SND_CNT> sounds;
  return types.Read(device, 0) && types.Has(EV_SND) && sounds.Read(device, EV_SND) &&
         sounds.Has(SND_TONE);
}

class EvdevTone final : public ToneSink {
 public:
  EvdevTone(std::unique_ptr<DeviceFile> device, std::string path)
      : device_(std::move(device)), path_(std::move(path)) {}

  void Sound(std::uint32_t frequency) override {
    input_event event{};
    event.type = EV_SND;
    event.code = SND_TONE;
    event.value = static_cast<std::int32_t>(frequency);
    device_->Write(std::as_bytes(std::span(&event, 1)));
  }
  std::string Describe() const override { return "evdev " + path_; }

 private:
  std::unique_ptr<DeviceFile> device_;
  std::string path_;
};

}  // namespace

std::vector<std::string> EventDevicePaths(const std::filesystem::path& directory) {
  std::vector<std::pair<unsigned, std::string>> numbered;
  // Error codes throughout: a folder that cannot be read (or stops being readable) lists nothing
  // more, it throws nothing.
  std::error_code error;
  for (std::filesystem::directory_iterator entry(directory, error), last; !error && entry != last;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (!name.starts_with(kEventPrefix)) continue;
    unsigned number = 0;
    const char* digits = name.data() + kEventPrefix.size();
    const char* end = name.data() + name.size();
    const auto [stop, status] = std::from_chars(digits, end, number);
    if (status == std::errc() && stop == end && digits != end) {
      numbered.emplace_back(number, entry->path().string());
    }
  }
  std::sort(numbered.begin(), numbered.end());
  std::vector<std::string> paths;
  paths.reserve(numbered.size());
  for (auto& [number, path] : numbered) paths.push_back(std::move(path));
  return paths;
}

std::unique_ptr<ToneSink> OpenEvdevTone(DeviceOpener& devices,
                                        std::span<const std::string> candidates) {
  for (const std::string& path : candidates) {
    std::unique_ptr<DeviceFile> device = devices.OpenForWriting(path);
    if (device && ReportsTone(*device)) return std::make_unique<EvdevTone>(std::move(device), path);
  }
  return nullptr;
}

}  // namespace qvtouch::platform
