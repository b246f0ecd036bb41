#include "platform/input/uinput_sink.h"

#include <linux/input.h>
#include <linux/uinput.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "common/mouse_input.h"
#include "platform/input/sink_error.h"

namespace qvtouch::platform {
namespace {

// The panel's size is not known to the host: the resolution (units per millimetre) describes a
// nominal 15-inch 4:3 screen, 304 by 228 mm.
constexpr int kNominalWidthMm = 304;
constexpr int kNominalHeightMm = 228;

struct Capability {
  unsigned long Request;
  unsigned long Code;
  const char* Name;
};

constexpr std::array<Capability, 6> kCapabilities{{
    {UI_SET_EVBIT, EV_KEY, "UI_SET_EVBIT EV_KEY"},
    {UI_SET_KEYBIT, BTN_LEFT, "UI_SET_KEYBIT BTN_LEFT"},
    {UI_SET_KEYBIT, BTN_RIGHT, "UI_SET_KEYBIT BTN_RIGHT"},
    {UI_SET_EVBIT, EV_ABS, "UI_SET_EVBIT EV_ABS"},
    {UI_SET_ABSBIT, ABS_X, "UI_SET_ABSBIT ABS_X"},
    {UI_SET_ABSBIT, ABS_Y, "UI_SET_ABSBIT ABS_Y"},
}};

void Require(bool succeeded, std::string_view step) {
  if (!succeeded) {
    throw SinkError("uinput: " + std::string(step) + " failed: " + std::strerror(errno));
  }
}

uinput_abs_setup AxisSetup(std::uint16_t code, int sizeMm) {
  uinput_abs_setup axis{};
  axis.code = code;
  axis.absinfo.minimum = 0;
  axis.absinfo.maximum = kAbsoluteRange;
  axis.absinfo.resolution = kAbsoluteRange / sizeMm;
  return axis;
}

// The events of one report to the readers, ended by SYN_REPORT; written in one go.
class Frame {
 public:
  void Add(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    input_event& event = events_[count_++];
    event.type = type;
    event.code = code;
    event.value = value;
  }
  bool Empty() const { return count_ == 0; }
  void Send(DeviceFile& device) {
    Add(EV_SYN, SYN_REPORT, 0);
    // A failed write means the device is gone; the next record tries again.
    device.Write(std::as_bytes(std::span(events_).first(count_)));
    count_ = 0;
  }

 private:
  std::array<input_event, kButtonTransitions.size() + 1> events_{};
  std::size_t count_ = 0;
};

class UinputSink final : public PointerSink {
 public:
  explicit UinputSink(std::unique_ptr<DeviceFile> device) : device_(std::move(device)) {
    for (const Capability& capability : kCapabilities) {
      Require(device_->Ioctl(capability.Request, capability.Code), capability.Name);
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    kUinputDeviceName.copy(std::data(setup.name), sizeof(setup.name) - 1);
    Require(device_->IoctlStruct(UI_DEV_SETUP, &setup), "UI_DEV_SETUP");
    uinput_abs_setup x = AxisSetup(ABS_X, kNominalWidthMm);
    Require(device_->IoctlStruct(UI_ABS_SETUP, &x), "UI_ABS_SETUP ABS_X");
    uinput_abs_setup y = AxisSetup(ABS_Y, kNominalHeightMm);
    Require(device_->IoctlStruct(UI_ABS_SETUP, &y), "UI_ABS_SETUP ABS_Y");
    Require(device_->Ioctl(UI_DEV_CREATE, 0), "UI_DEV_CREATE");
  }
  ~UinputSink() override { device_->Ioctl(UI_DEV_DESTROY, 0); }
  UinputSink(const UinputSink&) = delete;
  UinputSink& operator=(const UinputSink&) = delete;

  void Deliver(const MOUSE_INPUT_DATA& record) override {
    // The move goes in a frame of its own before the buttons, so that every reader has moved the
    // pointer before it presses. Relative records are not sent by the pointer port.
    if ((record.Flags & MOUSE_MOVE_ABSOLUTE) != 0) {
      frame_.Add(EV_ABS, ABS_X, std::clamp(record.LastX, 0, kAbsoluteRange));
      frame_.Add(EV_ABS, ABS_Y, std::clamp(record.LastY, 0, kAbsoluteRange));
      frame_.Send(*device_);
    }
    for (const ButtonTransition& transition : kButtonTransitions) {
      if ((record.ButtonFlags & transition.Flag) == 0) continue;
      frame_.Add(EV_KEY, transition.Button == PointerButton::Left ? BTN_LEFT : BTN_RIGHT,
                 transition.Pressed ? 1 : 0);
    }
    if (!frame_.Empty()) frame_.Send(*device_);
  }

 private:
  std::unique_ptr<DeviceFile> device_;
  Frame frame_;
};

}  // namespace

std::unique_ptr<PointerSink> OpenUinputSink(DeviceOpener& devices) {
  std::unique_ptr<DeviceFile> device = devices.OpenForWriting(std::string(kUinputPath));
  Require(device != nullptr, "opening " + std::string(kUinputPath));
  return std::make_unique<UinputSink>(std::move(device));
}

}  // namespace qvtouch::platform
