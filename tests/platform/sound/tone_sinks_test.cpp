#include "platform/sound/tone_sinks.h"

#include <linux/input.h>
#include <linux/kd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "platform/input/sink_error.h"
#include "platform/sound/console_tone.h"
#include "platform/sound/evdev_tone.h"
#include "tests/platform/input/recording_devices.h"
#include "tests/platform/input/temp_dir.h"

namespace qvtouch::platform {
namespace {

using ::testing::AllOf;
using testing::BytesOf;
using testing::Close;
using testing::DeviceCall;
using ::testing::HasSubstr;
using testing::Ioctl;
using testing::RecordingDevices;
using testing::TempDir;

constexpr std::size_t kBitsPerLong = sizeof(unsigned long) * CHAR_BIT;
const std::string kConsole(kConsolePaths[0]);
const std::string kTty(kConsolePaths[1]);

// An EVIOCGBIT answer with the given bits set.
template <std::size_t Bits>
std::vector<std::byte> Bitmap(std::initializer_list<unsigned> bits) {
  std::array<unsigned long, (Bits + kBitsPerLong - 1) / kBitsPerLong> words{};
  for (const unsigned bit : bits) words[bit / kBitsPerLong] |= 1UL << (bit % kBitsPerLong);
  return BytesOf(words);
}

unsigned long TypesRequest() {
  return EVIOCGBIT(0, Bitmap<EV_CNT>({}).size());
}
unsigned long SoundsRequest() {
  return EVIOCGBIT(EV_SND, Bitmap<SND_CNT>({}).size());
}

// An event device that reports these event types and sounds.
RecordingDevices::Node EventDevice(std::initializer_list<unsigned> types,
                                   std::initializer_list<unsigned> sounds) {
  RecordingDevices::Node node;
  node.Answers[TypesRequest()] = Bitmap<EV_CNT>(types);
  node.Answers[SoundsRequest()] = Bitmap<SND_CNT>(sounds);
  return node;
}

DeviceCall Query(const std::string& path, unsigned long request) {
  return {DeviceCall::Kind::IoctlStruct, path, request, 0, {}};
}

DeviceCall ToneEvent(const std::string& path, std::int32_t frequency) {
  input_event event{};
  event.type = EV_SND;
  event.code = SND_TONE;
  event.value = frequency;
  return {DeviceCall::Kind::Write, path, 0, 0, BytesOf(event)};
}

class ToneSinksTest : public ::testing::Test {
 protected:
  std::unique_ptr<ToneSink> Open(std::string_view value) {
    return OpenToneSink(value, devices, eventDevices);
  }

  RecordingDevices devices;
  std::vector<std::string> eventDevices{"/dev/input/event0", "/dev/input/event1",
                                        "/dev/input/event2", "/dev/input/event3"};
};

TEST_F(ToneSinksTest, EvdevTakesTheFirstDeviceThatReportsTheToneAndWritesToneEvents) {
  devices.Nodes["/dev/input/event0"] = EventDevice({EV_KEY, EV_REL}, {});  // a mouse
  devices.Nodes["/dev/input/event1"] = EventDevice({EV_SND}, {SND_BELL});  // a bell only
  devices.Nodes["/dev/input/event2"] = EventDevice({EV_SND}, {SND_TONE});  // the speaker
  devices.Nodes["/dev/input/event3"] = EventDevice({EV_SND}, {SND_TONE});
  {
    const auto sink = Open("evdev");
    EXPECT_EQ(sink->Describe(), "evdev /dev/input/event2");
    sink->Sound(2000);
    sink->Sound(0);
  }
  const std::vector<DeviceCall> expected{
      Query("/dev/input/event0", TypesRequest()),
      Close("/dev/input/event0"),
      Query("/dev/input/event1", TypesRequest()),
      Query("/dev/input/event1", SoundsRequest()),
      Close("/dev/input/event1"),
      Query("/dev/input/event2", TypesRequest()),
      Query("/dev/input/event2", SoundsRequest()),
      ToneEvent("/dev/input/event2", 2000),
      ToneEvent("/dev/input/event2", 0),
      Close("/dev/input/event2"),
  };
  EXPECT_EQ(devices.Calls, expected);
}

TEST_F(ToneSinksTest, ConsoleTakesTheFirstConsoleWhereKiocsoundWorks) {
  devices.Nodes[kConsole].Failing.insert(KIOCSOUND);
  devices.Nodes[kTty];
  {
    const auto sink = Open("console");
    EXPECT_EQ(sink->Describe(), "console " + kTty);
    sink->Sound(2000);
    sink->Sound(1000);
  }  // destroyed mid-tone
  const std::vector<DeviceCall> expected{
      Ioctl(kConsole, KIOCSOUND, 0),
      Close(kConsole),
      Ioctl(kTty, KIOCSOUND, 0),               // the silent try
      Ioctl(kTty, KIOCSOUND, 1193180 / 2000),  // 596
      Ioctl(kTty, KIOCSOUND, 1193180 / 1000),  // 1193
      Ioctl(kTty, KIOCSOUND, 0),
      Close(kTty),
  };
  EXPECT_EQ(devices.Calls, expected);
}

TEST_F(ToneSinksTest, AutoPrefersTheEventDeviceThenTheConsoleThenTheHostLog) {
  for (const std::string_view value : {"", "auto"}) {
    RecordingDevices all;
    all.Nodes["/dev/input/event3"] = EventDevice({EV_SND}, {SND_TONE});
    all.Nodes[kConsole];
    EXPECT_EQ(OpenToneSink(value, all, eventDevices)->Describe(), "evdev /dev/input/event3");

    RecordingDevices consoleOnly;
    consoleOnly.Nodes["/dev/input/event0"] = EventDevice({EV_KEY}, {});
    consoleOnly.Nodes[kTty];
    EXPECT_EQ(OpenToneSink(value, consoleOnly, eventDevices)->Describe(), "console " + kTty);

    RecordingDevices none;
    none.Nodes[kConsole].Failing.insert(KIOCSOUND);
    EXPECT_EQ(OpenToneSink(value, none, eventDevices)->Describe(), "recorder standard error");
  }
}

TEST_F(ToneSinksTest, ABadValueOrAMissingDeviceGetsAClearError) {
  const auto expectRefused = [&](std::string_view value, std::string_view why) {
    EXPECT_THAT([&] { Open(value); },
                ::testing::ThrowsMessage<SinkError>(AllOf(HasSubstr("ToneSink"), HasSubstr(why))));
  };
  expectRefused("beep", "unknown sink");
  expectRefused("beep", "expected auto, evdev, console, recorder:PATH");
  expectRefused("console:/dev/tty1", "this sink takes no argument");
  expectRefused("recorder:", "the recorder needs a path");
  expectRefused("evdev", "no input event device reports EV_SND SND_TONE");
  expectRefused("console", "KIOCSOUND works on no console");
  EXPECT_TRUE(devices.Calls.empty());
}

TEST(EventDevicePaths, ListsTheEventDevicesByNumber) {
  TempDir dir;
  for (const char* name :
       {"event10", "event2", "mouse0", "event", "eventx", "event1x", "by-path"}) {
    std::ofstream(dir / name).put('\n');
  }
  EXPECT_THAT(EventDevicePaths(dir / ""),
              ::testing::ElementsAre((dir / "event2").string(), (dir / "event10").string()));
  EXPECT_TRUE(EventDevicePaths(dir / "missing").empty());
}

}  // namespace
}  // namespace qvtouch::platform
