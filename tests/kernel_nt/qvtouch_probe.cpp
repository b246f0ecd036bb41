// A test program for qvtouch.sys on the platform (under Wine): it opens \\.\qvtouch as the
// system's programs do and checks the answers to the driver's control requests. Built as a 32-bit
// and as a 64-bit program.
//
//   qvtouch_probe started    the settings right after start, from the values the test installed
//   qvtouch_probe requests   every get and set request, and the errors of bad requests
//   qvtouch_probe reload     the reload request picks up changed registry values
//   qvtouch_probe gone       the device no longer exists
//
// It prints one line per failed check and then "N passed, N failed"; it exits 0 when none failed.
// Requests go through NtDeviceIoControlFile, so that each check sees the driver's own status and
// byte count rather than their Win32 translation.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/capture.h"
#include "common/little_endian.h"
#include "common/records.h"
#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "common/status.h"
// After the shared headers, which declare as constants names that these define as macros.
#include <windows.h>
#include <winternl.h>

namespace qvtouch {
namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

void Expect(long long actual, long long expected, const std::string& what) {
  Check(actual == expected,
        what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

// Some status names are also the platform headers' macros, of other integer types.
void ExpectStatus(NtStatus actual, NtStatus expected, const std::string& what) {
  Expect(actual, expected, what);
}

struct Answer {
  NtStatus Status;
  std::uint32_t Information;
  std::vector<std::uint8_t> Output;
};

class Device {
 public:
  Device() {
    handle_ = CreateFileA("\\\\.\\qvtouch", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          0, nullptr);
  }
  ~Device() {
    if (Opened()) CloseHandle(handle_);
  }
  bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }

  Answer Control(std::uint32_t code, std::span<const std::uint8_t> input = {},
                 std::size_t outputLength = 0) {
    Answer answer{0, 0, std::vector<std::uint8_t>(outputLength, 0xEE)};
    IO_STATUS_BLOCK result{};
    answer.Status = NtDeviceIoControlFile(
        handle_, nullptr, nullptr, nullptr, &result, code, const_cast<std::uint8_t*>(input.data()),
        static_cast<ULONG>(input.size()), answer.Output.data(), static_cast<ULONG>(outputLength));
    answer.Information = static_cast<std::uint32_t>(result.Information);
    return answer;
  }
  std::uint32_t Get(std::uint32_t code, const std::string& what) {
    const Answer answer = Control(code, {}, 4);
    ExpectStatus(answer.Status, STATUS_SUCCESS, what + " status");
    return LoadU32(answer.Output, 0);
  }
  void Set(std::uint32_t code, std::uint32_t value, const std::string& what) {
    std::array<std::uint8_t, 4> input{};
    StoreU32(input, 0, value);
    ExpectStatus(Control(code, input).Status, STATUS_SUCCESS, what + " status");
  }
  BeepRecord GetBeep() {
    const Answer answer = Control(IOCTL_TOUCH_GET_BEEP, {}, BeepRecord::kSize);
    ExpectStatus(answer.Status, STATUS_SUCCESS, "get beep status");
    Expect(answer.Information, std::uint32_t{BeepRecord::kSize}, "get beep bytes");
    return BeepRecord::Decode(std::span<const std::uint8_t, BeepRecord::kSize>(answer.Output));
  }
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};

void ExpectBeep(const BeepRecord& actual, const BeepRecord& expected, const std::string& what) {
  Expect(actual.BeepMode, expected.BeepMode, what + " BeepMode");
  Expect(actual.BeepFreq1, expected.BeepFreq1, what + " BeepFreq1");
  Expect(actual.BeepTime, expected.BeepTime, what + " BeepTime");
  Expect(actual.BeepFreq2, expected.BeepFreq2, what + " BeepFreq2");
  Expect(actual.BeepTime2, expected.BeepTime2, what + " BeepTime2");
}

bool WriteSetting(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kParametersKey).c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool written =
      RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

bool WriteDword(const char* name, DWORD value) {
  return WriteSetting(name, REG_DWORD, &value, sizeof value);
}

// The values the test installs before the start (see the test script): Port 0, which names no
// COM port, BeepFreq1 1500, BeepTime 800 (out of range), MouseMode 7 (out of range),
// ScreenPost 17 and RBNDelay 10.
void Started(Device& device) {
  ExpectBeep(device.GetBeep(), {2, 1500, 40, 2000, 40}, "beep after start");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "mouse mode"), 2u, "mouse mode after start");
  Expect(device.Get(IOCTL_TOUCH_GET_SCREEN_POST, "screen post"), 17u, "screen post after start");
  Expect(device.Get(IOCTL_TOUCH_GET_RBN_DELAY, "RBN delay"), 48u,
         "RBN delay after start, before any reload");
  Expect(device.Get(IOCTL_TOUCH_GET_BUTTON_MODE, "button mode"), 0u, "button mode after start");
}

void Requests(Device& device) {
  device.Set(IOCTL_TOUCH_SET_MOUSE_MODE, 3, "set mouse mode");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "get mouse mode"), 3u, "mouse mode");
  device.Set(IOCTL_TOUCH_SET_MOUSE_MODE, 9, "set mouse mode 9");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "get mouse mode"), 9u,
         "mouse mode is stored as is");

  device.Set(IOCTL_TOUCH_SET_BUTTON_MODE, 5, "set button mode 5");
  Expect(device.Get(IOCTL_TOUCH_GET_BUTTON_MODE, "get button mode"), 0u, "button mode 5 becomes 0");
  device.Set(IOCTL_TOUCH_SET_BUTTON_MODE, 1, "set button mode 1");
  Expect(device.Get(IOCTL_TOUCH_GET_BUTTON_MODE, "get button mode"), 1u, "button mode");

  device.Set(IOCTL_TOUCH_SET_SCREEN_POST, 38, "set screen post");
  const Answer post = device.Control(IOCTL_TOUCH_GET_SCREEN_POST, {}, 8);
  ExpectStatus(post.Status, STATUS_SUCCESS, "get screen post status");
  Expect(LoadU32(post.Output, 0), 38u, "screen post");
  Expect(post.Information, 8u, "get screen post returns the caller's whole output length");

  const std::array<std::uint8_t, 1> delay{0x21};
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_RBN_DELAY, delay).Status, STATUS_SUCCESS,
               "set RBN delay");
  Expect(device.Get(IOCTL_TOUCH_GET_RBN_DELAY, "get RBN delay"), 0x21u, "RBN delay");

  const auto beep = BeepRecord{1, 800, 20, 6000, 1000}.Encode();
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_BEEP, beep).Status, STATUS_SUCCESS, "set beep");
  ExpectBeep(device.GetBeep(), {1, 2000, 32, 2000, 32}, "beep out of range");
  const auto goodBeep = BeepRecord{2, 1500, 100, 3000, 200}.Encode();
  device.Control(IOCTL_TOUCH_SET_BEEP, goodBeep);
  ExpectBeep(device.GetBeep(), {2, 1500, 100, 3000, 200}, "beep");

  CalibrationBlock calibration;
  calibration.Xc = 2048;
  calibration.Yc = 2048;
  calibration.XL = 3800;
  calibration.YL = -3800;
  calibration.Orientation = 270;
  const auto block = calibration.Encode();
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_CALIBRATION, block).Status, STATUS_SUCCESS,
               "set calibration");
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_CALIBRATION, std::span(block).first(67)).Status,
               STATUS_BUFFER_TOO_SMALL, "set calibration with 67 bytes");
  calibration.YL = 0;
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_CALIBRATION, calibration.Encode()).Status,
               STATUS_INVALID_PARAMETER, "set calibration with a zero span");

  ExpectStatus(device.Control(IOCTL_TOUCH_ARM_CAPTURE).Status, STATUS_SUCCESS, "arm capture");
  const Answer capture = device.Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12);
  Expect(capture.Information, 12u, "get capture bytes");
  Expect(LoadS32(capture.Output, 0), CaptureArmed, "capture state");

  ExpectStatus(device.Control(IOCTL_TOUCH_ENABLE_POINTER).Status, STATUS_SUCCESS, "enable pointer");
  ExpectStatus(device.Control(IOCTL_TOUCH_DISABLE_POINTER).Status, STATUS_SUCCESS,
               "disable pointer");
  Expect(device.Control(IOCTL_TOUCH_GET_POINTER, {}, 12).Information, 12u, "get pointer bytes");

  // Bad requests.
  const Answer small = device.Control(IOCTL_TOUCH_GET_BUTTON_MODE, {}, 3);
  ExpectStatus(small.Status, STATUS_BUFFER_TOO_SMALL, "get button mode into 3 bytes");
  Expect(small.Information, 0u, "get button mode into 3 bytes returns nothing");
  ExpectStatus(device.Control(IOCTL_TOUCH_SET_MOUSE_MODE, std::array<std::uint8_t, 3>{}).Status,
               STATUS_BUFFER_TOO_SMALL, "set mouse mode from 3 bytes");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "get mouse mode"), 9u,
         "a refused set changes nothing");
  ExpectStatus(device.Control(TouchRequest(0x901), {}, 4).Status, STATUS_INVALID_DEVICE_REQUEST,
               "an unknown code");
  ExpectStatus(device.Control(IOCTL_TOUCH_UNIMPLEMENTED_910).Status, STATUS_NOT_IMPLEMENTED,
               "a code without implementation");
  // An unknown code whose transfer method would hand the driver the caller's own addresses.
  ExpectStatus(device
                   .Control(CTL_CODE(FILE_DEVICE_MOUSE, 0x9A0, METHOD_NEITHER, FILE_ANY_ACCESS),
                            std::array<std::uint8_t, 8>{}, 8)
                   .Status,
               STATUS_INVALID_DEVICE_REQUEST, "an unknown code without buffering");

  // Waiting requests: no report arrives, and the port is not open.
  const auto start = std::chrono::steady_clock::now();
  const Answer report = device.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 10);
  const auto waited = std::chrono::steady_clock::now() - start;
  ExpectStatus(report.Status, STATUS_TIMEOUT, "capture report without a touch");
  Expect(report.Information, 0u, "capture report without a touch returns nothing");
  Check(waited >= std::chrono::milliseconds(150), "capture report waits 200 ms");
  ExpectStatus(device.Control(IOCTL_TOUCH_CAPTURE_REPORT, {}, 9).Status, STATUS_BUFFER_TOO_SMALL,
               "capture report into 9 bytes");
  CommandRecord command;
  command.SendCount = 5;
  ExpectStatus(device.Control(IOCTL_TOUCH_PASS_THROUGH, command.Encode(), 3).Status,
               STATUS_DEVICE_NOT_READY, "pass-through before the port is open");

  DWORD count = 0;
  std::array<char, 4> bytes{};
  Check(!ReadFile(device.Handle(), bytes.data(), 4, &count, nullptr), "a read is refused");
  Check(!WriteFile(device.Handle(), bytes.data(), 4, &count, nullptr), "a write is refused");
}

void Reload(Device& device) {
  Check(WriteDword("MouseMode", 1), "store MouseMode");
  ExpectStatus(device.Control(IOCTL_TOUCH_RELOAD_SETTINGS).Status, STATUS_SUCCESS, "reload");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "get mouse mode"), 1u, "mouse mode after reload");
  Expect(device.Get(IOCTL_TOUCH_GET_RBN_DELAY, "get RBN delay"), 10u, "RBN delay after reload");
  ExpectBeep(device.GetBeep(), {2, 1500, 40, 2000, 40}, "beep after reload");

  // A value of the wrong type counts as absent: the default applies.
  Check(WriteSetting("ScreenPost", REG_SZ, "37", 3), "store ScreenPost as text");
  Check(WriteDword("MouseMode", 3), "store MouseMode");
  device.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  Expect(device.Get(IOCTL_TOUCH_GET_SCREEN_POST, "get screen post"), 16u,
         "screen post stored as text");
  Expect(device.Get(IOCTL_TOUCH_GET_MOUSE_MODE, "get mouse mode"), 3u, "mouse mode after reload");
  Check(WriteDword("ScreenPost", 17), "store ScreenPost");
}

int Run(std::string_view mode) {
  Device device;
  if (mode == "gone") {
    Check(!device.Opened() && GetLastError() == ERROR_FILE_NOT_FOUND, "the device is gone");
  } else if (!device.Opened()) {
    Check(false, "open \\\\.\\qvtouch: error " + std::to_string(GetLastError()));
  } else if (mode == "started") {
    Started(device);
  } else if (mode == "requests") {
    Requests(device);
  } else if (mode == "reload") {
    Reload(device);
  } else {
    std::printf("usage: qvtouch_probe started|requests|reload|gone\n");
    return 2;
  }
  std::printf("%s: %d passed, %d failed\n", std::string(mode).c_str(), passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace qvtouch

int main(int argc, char** argv) {
  return qvtouch::Run(argc == 2 ? argv[1] : "");
}
