// The driver host against a real Linux kernel. This program runs inside the VM that tests/vm/run
// boots, as root, with the uinput module and the PC speaker loaded. The host is the real program,
// the controller the simulator on a pty; the pointer is read back from the uinput device's event
// node. The tones sounded here are measured afterwards in QEMU's recording (recording_test.cpp).
#include <signal.h>
#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "common/records.h"
#include "common/request_codes.h"
#include "common/setting_values.h"
#include "platform/device/winio.h"
#include "platform/input/uinput_sink.h"
#include "platform/sound/tone_sinks.h"
#include "tests/driver/driver_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/store_values.h"
#include "tests/support/wait.h"
#include "tests/vm/event_node.h"
#include "tests/vm/pointer_events.h"
#include "tests/vm/tone_plan.h"

namespace qvtouch::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

const std::string kHostKey = R"(Software\QVTouch)";
const std::string kParameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";
constexpr std::string_view kSpeakerName = "PC Speaker";
constexpr InputEvent kSyn{EV_SYN, SYN_REPORT, 0};
// Under software emulation a session takes a while; this only keeps a broken run from hanging.
constexpr auto kQuiet = 10s;

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ChildOptions OutputTo(const std::filesystem::path& file) {
  ChildOptions options;
  options.Output = file;
  return options;
}

class HostInKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/qvtouch-vm-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    root_ = folder;
    setenv("QVTOUCH_ROOT", folder, 1);
    SetStoreString(HKEY_LOCAL_MACHINE, kHostKey + R"(\Ports)", "COM1", Line());
    SetStoreString(HKEY_LOCAL_MACHINE, kHostKey, "PointerSink", "uinput");
    SetStoreString(HKEY_LOCAL_MACHINE, kHostKey, "ToneSink", "evdev");
    // A 4096 x 4096 controller calibrated to the screen, as in the demo; only the speaker's own
    // test beeps.
    Store({{"Xc", 2048}, {"XL", 3800}, {"Yc", 2048}, {"YL", 3800}, {"BeepMode", kBeepNone}});
  }

  void TearDown() override {
    if (device_ != INVALID_HANDLE_VALUE) CloseHandle(device_);
    host_.reset();
    controller_.reset();
    std::filesystem::remove_all(root_);
  }

  std::string Line() const { return (root_ / "ttyCOM1").string(); }
  std::filesystem::path HostLog() const { return root_ / "host.log"; }

  void Store(const std::map<std::string, std::uint32_t>& settings) {
    for (const auto& [name, value] : settings) {
      SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, name, value);
      settings_[name] = value;
    }
  }

  // Starts the host and opens its pointer device and its control device.
  void StartHost() {
    if (device_ != INVALID_HANDLE_VALUE) CloseHandle(device_);
    host_ = std::make_unique<ChildProcess>(std::vector<std::string>{QVTOUCH_HOST_BINARY},
                                           OutputTo(HostLog()));
    ASSERT_TRUE(WaitUntil([&] { return !ReadText(HostLog()).empty(); }, kQuiet));
    ASSERT_THAT(ReadText(HostLog()), HasSubstr("qvtouch: started"));
    pointer_ = EventNode::Find(platform::kUinputDeviceName);
    ASSERT_NE(pointer_, nullptr) << "no event device \"" << platform::kUinputDeviceName << "\"";
    device_ = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device_, INVALID_HANDLE_VALUE);
  }

  // Unloads the driver as the system's shutdown does.
  void StopHost() {
    host_->Signal(SIGTERM);
    EXPECT_EQ(host_->Wait(kQuiet), 0) << ReadText(HostLog());
  }

  // Plugs the controller in: the simulator on a pty at COM1's path. Returns once the driver's
  // serial link is up (an empty pass-through succeeds only then).
  void Plug() {
    controller_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{QVTOUCH_SIM_BINARY, "--pty", Line()});
    ASSERT_TRUE(WaitUntil(
        [&] {
          const auto empty = driver::testing::CommandInput({}, 0);
          return Control(IOCTL_TOUCH_PASS_THROUGH, empty);
        },
        kQuiet));
  }

  // Ends the simulator once it has sent what it was given, which closes the pty.
  void Unplug() {
    controller_->CloseInput();
    EXPECT_EQ(controller_->Wait(kQuiet), 0);
    controller_.reset();
  }

  void Touch(std::string_view script) {
    controller_->Input(script);
    session_ += script;
  }

  bool Control(std::uint32_t code, std::span<const std::uint8_t> input = {}) {
    DWORD returned = 0;
    return DeviceIoControl(device_, code, const_cast<std::uint8_t*>(input.data()),
                           static_cast<DWORD>(input.size()), nullptr, 0, &returned,
                           nullptr) == TRUE;
  }

  // What a reader of the pointer must have got for the whole session so far.
  std::vector<InputEvent> Expected() const {
    return PointerEvents(DriverRecords(settings_, session_));
  }

  std::filesystem::path root_;
  std::map<std::string, std::uint32_t> settings_;
  std::string session_;
  std::unique_ptr<ChildProcess> host_;
  std::unique_ptr<ChildProcess> controller_;
  std::unique_ptr<EventNode> pointer_;
  HANDLE device_ = INVALID_HANDLE_VALUE;
};

// The machine's udevadm (package udev); empty when it has none.
std::string Udevadm() {
  for (const char* path : {"/usr/bin/udevadm", "/bin/udevadm"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return {};
}

TEST_F(HostInKernel, ThePointerIsAnAbsoluteMouseThatUdevTakesForOne) {
  ASSERT_NO_FATAL_FAILURE(StartHost());
  EXPECT_EQ(pointer_->Types(), (std::set<unsigned>{EV_SYN, EV_KEY, EV_ABS}));
  EXPECT_EQ(pointer_->Codes(EV_KEY, KEY_MAX), (std::set<unsigned>{BTN_LEFT, BTN_RIGHT}));
  EXPECT_EQ(pointer_->Codes(EV_ABS, ABS_MAX), (std::set<unsigned>{ABS_X, ABS_Y}));
  EXPECT_EQ(pointer_->Properties(), std::set<unsigned>{}) << "a pointer, not a direct-touch device";
  for (const unsigned axis : {ABS_X, ABS_Y}) {
    EXPECT_EQ(pointer_->Axis(axis).minimum, 0);
    EXPECT_EQ(pointer_->Axis(axis).maximum, kAbsoluteRange);
  }

  // udev's classification, which a Wayland compositor (through libinput) goes by: a mouse, and
  // nothing that would be handled otherwise or ignored.
  const std::filesystem::path output = root_ / "input_id.txt";
  ASSERT_NE(Udevadm(), "") << "no udevadm (package udev) to classify the device";
  ChildProcess udevadm({Udevadm(), "test-builtin", "input_id", pointer_->SysfsPath()},
                       OutputTo(output));
  ASSERT_EQ(udevadm.Wait(kQuiet), 0) << ReadText(output);
  std::map<std::string, std::string> properties;
  std::istringstream lines(ReadText(output));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (line.starts_with("ID_INPUT") && equals != std::string::npos) {
      properties[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  EXPECT_EQ(properties["ID_INPUT"], "1") << ReadText(output);
  EXPECT_EQ(properties["ID_INPUT_MOUSE"], "1") << ReadText(output);
  for (const char* other : {"ID_INPUT_TOUCHSCREEN", "ID_INPUT_TABLET", "ID_INPUT_TOUCHPAD",
                            "ID_INPUT_JOYSTICK", "ID_INPUT_KEY", "ID_INPUT_KEYBOARD"}) {
    EXPECT_FALSE(properties.contains(other)) << other << "\n" << ReadText(output);
  }
}

struct Placement {
  const char* Name;
  std::uint32_t ScreenPost;
  std::int32_t CentreX;  // where raw X 2048 lands
};

void PrintTo(const Placement& placement, std::ostream* out) {
  *out << placement.Name;
}

class DemoSession : public HostInKernel, public ::testing::WithParamInterface<Placement> {};

TEST_P(DemoSession, GivesEveryMoveAndClickAtItsPositionOnTheDevice) {
  Store({{"ScreenPost", GetParam().ScreenPost}});
  ASSERT_NO_FATAL_FAILURE(StartHost());
  ASSERT_NO_FATAL_FAILURE(Plug());
  Touch(ReadText(QVTOUCH_DEMO_SESSION));

  const std::vector<InputEvent> expected = Expected();
  const std::vector<InputEvent> events = pointer_->Read(expected.size(), kQuiet);
  EXPECT_EQ(events, expected);
  // The tap in the middle: a left click at the touch point, with the move before it.
  const std::vector<InputEvent> tap{{EV_ABS, ABS_X, GetParam().CentreX},
                                    {EV_ABS, ABS_Y, 32768},
                                    kSyn,
                                    {EV_KEY, BTN_LEFT, 1},
                                    kSyn,
                                    {EV_KEY, BTN_LEFT, 0},
                                    kSyn};
  ASSERT_GE(events.size(), tap.size());
  EXPECT_EQ(std::vector(events.begin(), events.begin() + static_cast<long>(tap.size())), tap);
  // The touch held still: one right click.
  EXPECT_EQ(std::count(events.begin(), events.end(), InputEvent{EV_KEY, BTN_RIGHT, 1}), 1);
  EXPECT_EQ(std::count(events.begin(), events.end(), InputEvent{EV_KEY, BTN_RIGHT, 0}), 1);
}

// A touch screen that is the primary monitor, and one that is the right half of a desktop
// stretched over two monitors (its positions are on the virtual desktop).
INSTANTIATE_TEST_SUITE_P(Placements, DemoSession,
                         ::testing::Values(Placement{"primary_monitor", 16, 32768},
                                           Placement{"virtual_desktop", 18, 49152}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(HostInKernel, ThePointerStaysThroughAnUnplugAndWorksWhenTheControllerIsBack) {
  ASSERT_NO_FATAL_FAILURE(StartHost());
  ASSERT_NO_FATAL_FAILURE(Plug());
  Touch("tap 2048 2048\n");
  std::vector<InputEvent> events = pointer_->Read(Expected().size(), kQuiet);
  Unplug();

  std::this_thread::sleep_for(1500ms);  // the link notices and polls for the port again
  EXPECT_TRUE(pointer_->Present());
  const auto again = EventNode::Find(platform::kUinputDeviceName);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Path(), pointer_->Path());

  ASSERT_NO_FATAL_FAILURE(Plug());
  Touch("tap 1000 3000\n");
  const std::vector<InputEvent> expected = Expected();
  const std::vector<InputEvent> after = pointer_->Read(expected.size() - events.size(), kQuiet);
  events.insert(events.end(), after.begin(), after.end());
  EXPECT_EQ(events, expected);
}

TEST_F(HostInKernel, AutoPicksTheUinputPointerAndThePcSpeaker) {
  SetStoreString(HKEY_LOCAL_MACHINE, kHostKey, "PointerSink", "auto");
  SetStoreString(HKEY_LOCAL_MACHINE, kHostKey, "ToneSink", "auto");
  ASSERT_NO_FATAL_FAILURE(StartHost());
  const auto speaker = EventNode::Find(kSpeakerName);
  ASSERT_NE(speaker, nullptr);
  EXPECT_THAT(ReadText(HostLog()),
              HasSubstr("qvtouch: started (pointer: uinput; tone: evdev " + speaker->Path() + ")"));

  ASSERT_NO_FATAL_FAILURE(Plug());
  Touch("tap 2048 2048\n");
  const std::vector<InputEvent> expected = Expected();
  EXPECT_EQ(pointer_->Read(expected.size(), kQuiet), expected);
}

// The only test that sounds the speaker: QEMU records every tone, and the recording must hold
// exactly the planned ones (kKernelTestTones in tone_plan.h).
TEST_F(HostInKernel, SoundsTouchAndTestBeepsOnBothSpeakerRoutesAndFallsSilentAtUnload) {
  const auto sound = [](const std::unique_ptr<platform::ToneSink>& speaker, std::uint32_t frequency,
                        std::uint32_t milliseconds) {
    speaker->Sound(frequency);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    speaker->Sound(0);
  };
  const auto setBeep = [&](std::uint32_t frequency, std::uint32_t milliseconds) {
    const auto beep = BeepRecord{kBeepOnPress, frequency, milliseconds, 2000, 40}.Encode();
    return Control(IOCTL_TOUCH_SET_BEEP, beep);
  };
  const auto bracket = platform::MakeToneSink("evdev");
  sound(bracket, kBracketFrequency, kBracketMs);

  Store({{"BeepMode", kBeepOnPress}, {"BeepFreq1", kTapBeepFrequency}, {"BeepTime", kTapBeepMs}});
  ASSERT_NO_FATAL_FAILURE(StartHost());
  ASSERT_NO_FATAL_FAILURE(Plug());
  Touch("tap 2048 2048\n");
  const std::vector<InputEvent> tap = Expected();
  EXPECT_EQ(pointer_->Read(tap.size(), kQuiet), tap);
  std::this_thread::sleep_for(300ms);

  ASSERT_TRUE(setBeep(kTestBeepFrequency, kTestBeepMs));
  ASSERT_TRUE(Control(IOCTL_TOUCH_BEEP));
  std::this_thread::sleep_for(std::chrono::milliseconds(kTestBeepMs + 300));

  ASSERT_TRUE(setBeep(kCutToneFrequency, kCutToneMs));
  ASSERT_TRUE(Control(IOCTL_TOUCH_BEEP));
  std::this_thread::sleep_for(std::chrono::milliseconds(kUnloadAfterMs));
  StopHost();
  std::this_thread::sleep_for(std::chrono::milliseconds(kCutToneMs));  // past its own switch-off

  // A host started anew with the console's speaker request in place of the event device.
  SetStoreString(HKEY_LOCAL_MACHINE, kHostKey, "ToneSink", "console");
  ASSERT_NO_FATAL_FAILURE(StartHost());
  EXPECT_THAT(ReadText(HostLog()), HasSubstr("; tone: console /dev/"));
  ASSERT_TRUE(setBeep(kConsoleBeepFrequency, kConsoleBeepMs));
  ASSERT_TRUE(Control(IOCTL_TOUCH_BEEP));
  std::this_thread::sleep_for(std::chrono::milliseconds(kConsoleBeepMs + 300));
  StopHost();

  sound(bracket, kBracketFrequency, kBracketMs);
}

}  // namespace
}  // namespace qvtouch::testing
