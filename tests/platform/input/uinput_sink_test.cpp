#include "platform/input/uinput_sink.h"

#include <linux/input.h>
#include <linux/uinput.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "platform/input/sink_error.h"
#include "tests/platform/input/recording_devices.h"

namespace qvtouch::platform {
namespace {

using testing::BytesOf;
using testing::Close;
using testing::DeviceCall;
using ::testing::HasSubstr;
using testing::Ioctl;
using testing::RecordingDevices;

const std::string kPath(kUinputPath);

DeviceCall IoctlStruct(unsigned long request, const auto& data) {
  return {DeviceCall::Kind::IoctlStruct, kPath, request, 0, BytesOf(data)};
}

// uinput_abs_setup with its padding zeroed, so that its bytes compare by the fields alone.
uinput_abs_setup Axis(std::uint16_t code, const input_absinfo& absinfo) {
  uinput_abs_setup axis;
  std::memset(&axis, 0, sizeof(axis));
  axis.code = code;
  axis.absinfo = absinfo;
  return axis;
}

uinput_abs_setup Axis(std::uint16_t code, int resolution) {
  input_absinfo absinfo{};
  absinfo.maximum = kAbsoluteRange;
  absinfo.resolution = resolution;
  return Axis(code, absinfo);
}

// The calls made, with the padding of each axis setup zeroed.
std::vector<DeviceCall> Calls(const RecordingDevices& devices) {
  std::vector<DeviceCall> calls = devices.Calls;
  for (DeviceCall& call : calls) {
    if (call.Request != UI_ABS_SETUP || call.Bytes.size() != sizeof(uinput_abs_setup)) continue;
    uinput_abs_setup made;
    std::memcpy(&made, call.Bytes.data(), sizeof(made));
    call.Bytes = BytesOf(Axis(made.code, made.absinfo));
  }
  return calls;
}

// The device setup, in order, up to and including UI_DEV_CREATE.
std::vector<DeviceCall> DeviceSetup() {
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  std::strcpy(setup.name, "QVTouch pointer");
  return {Ioctl(kPath, UI_SET_EVBIT, EV_KEY),
          Ioctl(kPath, UI_SET_KEYBIT, BTN_LEFT),
          Ioctl(kPath, UI_SET_KEYBIT, BTN_RIGHT),
          Ioctl(kPath, UI_SET_EVBIT, EV_ABS),
          Ioctl(kPath, UI_SET_ABSBIT, ABS_X),
          Ioctl(kPath, UI_SET_ABSBIT, ABS_Y),
          IoctlStruct(UI_DEV_SETUP, setup),
          IoctlStruct(UI_ABS_SETUP, Axis(ABS_X, 65536 / 304)),
          IoctlStruct(UI_ABS_SETUP, Axis(ABS_Y, 65536 / 228)),
          Ioctl(kPath, UI_DEV_CREATE, 0)};
}

using Event = std::tuple<std::uint16_t, std::uint16_t, std::int32_t>;  // type, code, value
constexpr Event kSync{EV_SYN, SYN_REPORT, 0};

// The frames written since the setup, each as its events.
std::vector<std::vector<Event>> Frames(const RecordingDevices& devices) {
  std::vector<std::vector<Event>> frames;
  for (const DeviceCall& call : devices.Calls) {
    if (call.Type != DeviceCall::Kind::Write) continue;
    EXPECT_EQ(call.Bytes.size() % sizeof(input_event), 0U);
    std::vector<Event>& frame = frames.emplace_back();
    for (std::size_t at = 0; at + sizeof(input_event) <= call.Bytes.size();
         at += sizeof(input_event)) {
      input_event event{};
      std::memcpy(&event, call.Bytes.data() + at, sizeof(event));
      frame.emplace_back(event.type, event.code, event.value);
    }
  }
  return frames;
}

MOUSE_INPUT_DATA Record(std::uint16_t flags, std::uint16_t buttons, std::int32_t x,
                        std::int32_t y) {
  MOUSE_INPUT_DATA record;
  record.Flags = flags;
  record.ButtonFlags = buttons;
  record.LastX = x;
  record.LastY = y;
  return record;
}

class UinputSinkTest : public ::testing::Test {
 protected:
  UinputSinkTest() { devices.Nodes[kPath]; }
  RecordingDevices devices;
};

TEST_F(UinputSinkTest, SetsUpAnAbsolutePointerAndDestroysItAtTheEnd) {
  {
    const auto sink = OpenUinputSink(devices);
    EXPECT_EQ(Calls(devices), DeviceSetup());
  }
  std::vector<DeviceCall> expected = DeviceSetup();
  expected.push_back(Ioctl(kPath, UI_DEV_DESTROY, 0));
  expected.push_back(Close(kPath));
  EXPECT_EQ(Calls(devices), expected);
}

TEST_F(UinputSinkTest, SendsTheMoveAndThenTheButtonsEachEndedBySynReport) {
  const auto sink = OpenUinputSink(devices);
  constexpr std::uint16_t kAbsolute = MOUSE_MOVE_ABSOLUTE;
  sink->Deliver(Record(kAbsolute, 0, 1000, 2000));
  sink->Deliver(Record(kAbsolute | MOUSE_VIRTUAL_DESKTOP, MOUSE_LEFT_BUTTON_DOWN, 32768, 0));
  sink->Deliver(Record(kAbsolute, MOUSE_LEFT_BUTTON_UP, -2552, 68071));  // clamped to the range
  sink->Deliver(Record(0, MOUSE_RIGHT_BUTTON_DOWN | MOUSE_RIGHT_BUTTON_UP, 5, 5));  // no move
  sink->Deliver(Record(0, 0, 5, 5));  // nothing to send
  const std::vector<std::vector<Event>> expected{
      {{EV_ABS, ABS_X, 1000}, {EV_ABS, ABS_Y, 2000}, kSync},
      {{EV_ABS, ABS_X, 32768}, {EV_ABS, ABS_Y, 0}, kSync},
      {{EV_KEY, BTN_LEFT, 1}, kSync},
      {{EV_ABS, ABS_X, 0}, {EV_ABS, ABS_Y, 65536}, kSync},
      {{EV_KEY, BTN_LEFT, 0}, kSync},
      {{EV_KEY, BTN_RIGHT, 1}, {EV_KEY, BTN_RIGHT, 0}, kSync},
  };
  EXPECT_EQ(Frames(devices), expected);
}

TEST_F(UinputSinkTest, AFailingStepGetsAnErrorNamingItAndCreatesNothing) {
  devices.Nodes[kPath].Failing.insert(UI_DEV_CREATE);
  EXPECT_THAT([&] { OpenUinputSink(devices); },
              ::testing::ThrowsMessage<SinkError>(HasSubstr("uinput: UI_DEV_CREATE failed")));
  std::vector<DeviceCall> expected = DeviceSetup();
  expected.push_back(Close(kPath));  // closed without UI_DEV_DESTROY
  EXPECT_EQ(Calls(devices), expected);

  devices.Nodes.clear();
  EXPECT_THAT([&] { OpenUinputSink(devices); },
              ::testing::ThrowsMessage<SinkError>(
                  HasSubstr("uinput: opening /dev/uinput failed: No such file or directory")));
}

}  // namespace
}  // namespace qvtouch::platform
