// vm_service_probe: inside the service VM, as root, touches and tones through the installed driver
// host, as its unit runs it.
//
//   vm_service_probe touch LINK SESSION_FILE
//   vm_service_probe tones LINK
//
// `touch` plugs the controller in (the simulator on a pty at LINK, the path COM1 names), plays
// the session (the simulator's script language) once the driver's serial link is up, and reads
// the uinput pointer's event node: it must deliver exactly the events of the records the driver
// sends for that session with the settings the store holds (pointer_events.h). `tones` sounds the
// service's tone plan (kServiceTones in tone_plan.h): between two tones of its own on the speaker,
// a tap with the touch beep on press, then a long test beep that `systemctl stop` silences, which
// leaves the service stopped. Each prints what it found and exits 0 when all was as it must be.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "common/records.h"
#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "common/setting_values.h"
#include "platform/device/winio.h"
#include "platform/input/uinput_sink.h"
#include "platform/registry/winreg.h"
#include "platform/sound/tone_sinks.h"
#include "tests/driver/driver_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/wait.h"
#include "tests/vm/event_node.h"
#include "tests/vm/pointer_events.h"
#include "tests/vm/tone_plan.h"

namespace qvtouch::testing {
namespace {

using namespace std::chrono_literals;

// Under software emulation the host may still be starting (after a restart, say) and the link
// polls for its port once a second; these bounds only keep a broken run from hanging.
constexpr auto kPatience = 20s;
constexpr auto kQuiet = 10s;

// The REG_DWORD values of the driver's settings key, as the driver loads them.
std::map<std::string, std::uint32_t> StoredSettings() {
  std::map<std::string, std::uint32_t> settings;
  HKEY key = nullptr;
  const std::string path(kParametersKey);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return settings;
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof(name);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                         reinterpret_cast<LPBYTE>(&value), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS && type == REG_DWORD) settings[name] = value;
  }
  RegCloseKey(key);
  return settings;
}

// One request to the control device, opened for it.
bool Control(std::uint32_t code, std::span<const std::uint8_t> input = {}) {
  const HANDLE device = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const bool done =
      DeviceIoControl(device, code, const_cast<std::uint8_t*>(input.data()),
                      static_cast<DWORD>(input.size()), nullptr, 0, &returned, nullptr) == TRUE;
  CloseHandle(device);
  return done;
}

// The beep on press at this tone, which the test-beep request also sounds.
bool SetBeep(std::uint32_t frequency, std::uint32_t milliseconds) {
  return Control(
      IOCTL_TOUCH_SET_BEEP,
      BeepRecord{kBeepOnPress, frequency, milliseconds, kBracketFrequency, kBracketMs}.Encode());
}

void Print(const char* what, const std::vector<InputEvent>& events) {
  std::cout << what << " (" << events.size() << "):";
  for (const InputEvent& event : events) {
    std::cout << " " << event.Type << ":" << event.Code << ":" << event.Value;
  }
  std::cout << "\n";
}

bool Touch(const std::string& link, const std::string& session) {
  std::unique_ptr<EventNode> pointer;
  WaitUntil([&] { return (pointer = EventNode::Find(platform::kUinputDeviceName)) != nullptr; },
            kPatience);
  if (!pointer) {
    std::cout << "no event device \"" << platform::kUinputDeviceName << "\"\n";
    return false;
  }
  ChildProcess controller({QVTOUCH_SIM_BINARY, "--pty", link});
  // An empty pass-through succeeds only once the driver's serial link is up.
  const auto linkUp = [] {
    return Control(IOCTL_TOUCH_PASS_THROUGH, driver::testing::CommandInput({}, 0));
  };
  if (!WaitUntil(linkUp, kPatience)) {
    std::cout << "the driver's serial link did not come up on " << link << "\n";
    return false;
  }
  const std::vector<InputEvent> expected = PointerEvents(DriverRecords(StoredSettings(), session));
  controller.Input(session);
  const std::vector<InputEvent> events = pointer->Read(expected.size(), kQuiet);
  controller.CloseInput();
  controller.Wait();
  if (events != expected) {
    Print("expected", expected);
    Print("read", events);
    return false;
  }
  std::cout << pointer->Path() << " delivered the " << expected.size()
            << " events of the driver's records\n";
  return true;
}

bool Tones(const std::string& link) {
  const auto speaker = platform::MakeToneSink("evdev");
  const auto bracket = [&] {
    speaker->Sound(kBracketFrequency);
    std::this_thread::sleep_for(std::chrono::milliseconds(kBracketMs));
    speaker->Sound(0);
  };
  bracket();

  // Away from where earlier sessions leave the pointer: a move to where the device already is
  // sends no event, and Touch expects the events of a device that is still where it started.
  if (!SetBeep(kTapBeepFrequency, kTapBeepMs) || !Touch(link, "tap 3000 1000\n")) {
    std::cout << "no tap with its touch beep\n";
    return false;
  }
  std::this_thread::sleep_for(300ms);

  if (!SetBeep(kCutToneFrequency, kCutToneMs) || !Control(IOCTL_TOUCH_BEEP)) {
    std::cout << "no test beep\n";
    return false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(kStopAfterMs));
  ChildProcess stop({"/usr/bin/systemctl", "stop", "qvtouch.service"});
  if (stop.Wait(kPatience) != 0) {
    std::cout << "systemctl stop failed\n";
    return false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(kCutToneMs));  // past its own switch-off

  bracket();
  std::cout << "the tones are sounded; the service is stopped\n";
  return true;
}

std::string ReadFile(const char* file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace
}  // namespace qvtouch::testing

int main(int argc, char** argv) {
  using namespace qvtouch::testing;
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "touch" && argc == 4) return Touch(argv[2], ReadFile(argv[3])) ? 0 : 1;
  if (command == "tones" && argc == 3) return Tones(argv[2]) ? 0 : 1;
  std::fputs(
      "usage: vm_service_probe touch LINK SESSION_FILE\n"
      "       vm_service_probe tones LINK\n",
      stderr);
  return 2;
}
