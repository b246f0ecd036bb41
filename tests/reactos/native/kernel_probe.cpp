// The driver on a real NT kernel with no user mode around it: a native program that the session
// manager runs at boot (BootExecute, tests/reactos/run), before the Win32 subsystem starts. It
// talks to the runner as the guest test does (session_plan.h): lines on the kernel's debug port.
//
//   kernel_probe          the driver started at boot: the serial link answers, a tap reaches the
//                         mouse class driver and sounds the touch beep, the test beep sounds
//   kernel_probe unload   the driver loaded here, where the mouse class driver never connects to
//                         it, then unloaded while a tone sounds: the tone stops, the device goes,
//                         the COM port is free again, and the driver loads again
#include "common/controller_commands.h"
#include "common/little_endian.h"
#include "common/mouse_input.h"
#include "common/records.h"
#include "common/request_codes.h"
#include "common/setting_values.h"
#include "common/status.h"
#include "tests/reactos/session_plan.h"
#include "tests/vm/tone_plan.h"

// After the shared headers, whose names it would otherwise take as macros.
#include <windows.h>
#include <winternl.h>

#include <string_view>

extern "C" {
NTSTATUS NTAPI NtLoadDriver(PUNICODE_STRING service);
NTSTATUS NTAPI NtUnloadDriver(PUNICODE_STRING service);
NTSTATUS NTAPI NtDelayExecution(BOOLEAN alertable, PLARGE_INTEGER interval);
NTSTATUS NTAPI NtTerminateProcess(HANDLE process, NTSTATUS status);
NTSTATUS NTAPI RtlAdjustPrivilege(ULONG privilege, BOOLEAN enable, BOOLEAN thread,
                                  PBOOLEAN wasEnabled);
ULONG __cdecl DbgPrint(PCSTR format, ...);
}

namespace qvtouch::testing::reactos {
namespace {

constexpr ULONG kLoadDriverPrivilege = 10;  // SE_LOAD_DRIVER_PRIVILEGE

int passed = 0;
int failed = 0;
bool testFailed = false;

void Say(const char* format, const char* text = "", long number = 0) {
  DbgPrint("%s", kLinePrefix.data());
  DbgPrint(format, text, number);
  DbgPrint("\n");
}

void Sleep(std::uint32_t milliseconds) {
  LARGE_INTEGER interval;
  interval.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;
  NtDelayExecution(FALSE, &interval);
}

void Check(bool holds, const char* what, long number = 0) {
  if (holds) return;
  Say("failed: %s (%ld)", what, number);
  testFailed = true;
}

void Begin(const char* test) {
  testFailed = false;
  Say("[ RUN      ] %s", test);
}

void End(const char* test) {
  Say(testFailed ? "[  FAILED  ] %s" : "[       OK ] %s", test);
  ++(testFailed ? failed : passed);
}

UNICODE_STRING Text(const wchar_t* text) {
  UNICODE_STRING string;
  string.Buffer = const_cast<wchar_t*>(text);
  std::size_t length = 0;
  while (text[length] != L'\0') ++length;
  string.Length = static_cast<USHORT>(length * sizeof(wchar_t));
  string.MaximumLength = string.Length + sizeof(wchar_t);
  return string;
}

HANDLE Open(const wchar_t* name, NTSTATUS& status) {
  UNICODE_STRING path = Text(name);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  status = NtCreateFile(&handle, GENERIC_READ | GENERIC_WRITE | SYNCHRONIZE, &attributes, &io,
                        nullptr, 0, 0, FILE_OPEN, FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  return NT_SUCCESS(status) ? handle : nullptr;
}

struct Reply {
  NTSTATUS Status = 0;
  ULONG_PTR Bytes = 0;
};

// One request on a handle of its own, as a program makes it.
Reply Control(std::uint32_t code, const void* input = nullptr, std::size_t inputLength = 0,
              void* output = nullptr, std::size_t outputLength = 0) {
  Reply reply;
  HANDLE device = Open(L"\\??\\qvtouch", reply.Status);
  if (device == nullptr) return reply;
  IO_STATUS_BLOCK io{};
  reply.Status = NtDeviceIoControlFile(device, nullptr, nullptr, nullptr, &io, code,
                                       const_cast<void*>(input), static_cast<ULONG>(inputLength),
                                       output, static_cast<ULONG>(outputLength));
  reply.Bytes = io.Information;
  NtClose(device);
  return reply;
}

template <typename Condition>
bool WaitUntil(Condition condition, std::uint32_t milliseconds) {
  for (std::uint32_t waited = 0;; waited += 50) {
    if (condition()) return true;
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
}

bool DeviceAnswers() {
  std::uint8_t post[4];
  return Control(IOCTL_TOUCH_GET_SCREEN_POST, nullptr, 0, post, sizeof post).Status ==
         STATUS_SUCCESS;
}

// The controller's answer to "read parameters" through the pass-through request, with its
// linearity values uncorrected. The attempts are a second apart: the late bytes of a reply that
// timed out may still come while the next one is awaited.
bool ControllerAnswers() {
  CommandRecord command;
  for (std::size_t i = 0; i < kReadParameters.size(); ++i) {
    command.CommandBytes[i] = kReadParameters[i];
  }
  command.SendCount = kReadParameters.size();
  command.ReplyCount = kParametersReplySize;
  const auto input = command.Encode();
  std::uint8_t reply[kParametersReplySize] = {};
  const Reply answer =
      Control(IOCTL_TOUCH_PASS_THROUGH, input.data(), input.size(), reply, sizeof reply);
  if (answer.Status == STATUS_SUCCESS && answer.Bytes == sizeof reply &&
      LoadU16(reply, kParametersReplyXOffset) == kNoLinearityCorrection &&
      LoadU16(reply, kParametersReplyYOffset) == kNoLinearityCorrection) {
    return true;
  }
  Sleep(1000);
  return false;
}

bool SetBeep(std::uint32_t mode, std::uint32_t frequency, std::uint32_t milliseconds) {
  const auto input = BeepRecord{mode, frequency, milliseconds, 2000, 40}.Encode();
  return Control(IOCTL_TOUCH_SET_BEEP, input.data(), input.size()).Status == STATUS_SUCCESS;
}

void TestBeep(std::uint32_t frequency, std::uint32_t milliseconds) {
  Check(SetBeep(kBeepNone, frequency, milliseconds), "set the beep");
  Check(Control(IOCTL_TOUCH_BEEP).Status == STATUS_SUCCESS, "the test beep");
}

std::uint32_t LastButtons() {
  std::uint8_t pointer[12] = {};
  Control(IOCTL_TOUCH_GET_POINTER, nullptr, 0, pointer, sizeof pointer);
  return LoadU32(pointer, 0);
}

UNICODE_STRING Service() {
  return Text(L"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\QVTouch");
}

void TheSerialLinkAnswers() {
  Begin("Kernel.TheSerialLinkAnswers");
  Check(WaitUntil(DeviceAnswers, 30000), "the device answers");
  Say("host controller --screen 800x600");
  Check(WaitUntil(ControllerAnswers, 30000), "the controller answers through the COM port");
  End("Kernel.TheSerialLinkAnswers");
}

// A tap reaches the mouse class driver (the records are sent only once it has connected) and
// sounds the touch beep; then the test beep: the tones of kPlannedTones.
void ATapReachesTheMouseClassDriverAndBeeps() {
  Begin("Kernel.ATapReachesTheMouseClassDriverAndBeeps");
  TestBeep(kBracketFrequency, kBracketMs);
  Sleep(kBracketMs + 400);
  Check(SetBeep(kBeepOnRelease, kTouchBeepFrequency, kTouchBeepMs), "set the touch beep");
  Say("host script tap 2048 2048");
  Check(WaitUntil([] { return LastButtons() == MOUSE_LEFT_BUTTON_UP; }, 20000),
        "the tap's click sent to the mouse class driver", static_cast<long>(LastButtons()));
  Sleep(kTouchBeepMs + 1500);  // the lift-off, the beep and some silence after it
  TestBeep(kTestBeepFrequency, kTestBeepMs);
  Sleep(kTestBeepMs + 400);
  TestBeep(kBracketFrequency, kBracketMs);
  Sleep(kBracketMs + 400);
  End("Kernel.ATapReachesTheMouseClassDriverAndBeeps");
}

// Unload while a tone sounds: the tone stops then, the link and the device go, the driver lets go
// of the COM port, and the driver starts again (its device name is free): the tones of
// kUnloadTones.
void UnloadEndsEverythingAndTheDriverStartsAgain() {
  Begin("Kernel.UnloadEndsEverythingAndTheDriverStartsAgain");
  UNICODE_STRING service = Service();
  TestBeep(kBracketFrequency, kBracketMs);
  Sleep(kBracketMs + 400);
  TestBeep(kCutToneFrequency, kCutToneMs);
  // ReactOS's serial.sys cannot cancel a read (it waits in a work item, with no cancel routine):
  // the read that unload cancels ends only when a byte arrives, so the controller sends one
  // (a byte that starts no report) while the unload waits.
  DbgPrint("%shost script wait %lu\n", kLinePrefix.data(), kUnloadAfterMs + 100);
  Say("host script bytes 00");
  Sleep(kUnloadAfterMs);
  NTSTATUS status = NtUnloadDriver(&service);
  Check(status == STATUS_SUCCESS, "unload", status);
  Sleep(kCutToneMs);  // past the tone's own switch-off
  HANDLE handle = Open(L"\\??\\qvtouch", status);
  Check(handle == nullptr, "the device is gone", status);
  if (handle != nullptr) NtClose(handle);
  handle = Open(L"\\??\\COM2", status);
  Check(handle != nullptr, "the COM port is free", status);
  if (handle != nullptr) NtClose(handle);
  status = NtLoadDriver(&service);
  Check(status == STATUS_SUCCESS, "the driver starts again", status);
  Check(WaitUntil(DeviceAnswers, 30000), "the device answers again");
  TestBeep(kBracketFrequency, kBracketMs);
  Sleep(kBracketMs + 400);
  End("Kernel.UnloadEndsEverythingAndTheDriverStartsAgain");
}

bool Unloading(const PEB* peb) {
  constexpr std::wstring_view kWord = L"unload";
  const UNICODE_STRING& line = peb->ProcessParameters->CommandLine;
  return std::wstring_view(line.Buffer, line.Length / sizeof(wchar_t)).find(kWord) !=
         std::wstring_view::npos;
}

}  // namespace
}  // namespace qvtouch::testing::reactos

extern "C" void NTAPI NtProcessStartup(PPEB peb) {
  using namespace qvtouch::testing::reactos;
  if (Unloading(peb)) {
    // Loaded here, after the mouse class driver has looked for pointer ports.
    BOOLEAN was = FALSE;
    RtlAdjustPrivilege(kLoadDriverPrivilege, TRUE, FALSE, &was);
    UNICODE_STRING service = Service();
    const NTSTATUS status = NtLoadDriver(&service);
    Begin("Kernel.TheDriverLoads");
    Check(status == qvtouch::STATUS_SUCCESS, "load", status);
    End("Kernel.TheDriverLoads");
    TheSerialLinkAnswers();
    UnloadEndsEverythingAndTheDriverStartsAgain();
  } else {
    TheSerialLinkAnswers();
    ATapReachesTheMouseClassDriverAndBeeps();
  }
  DbgPrint("%s%d passed, %d failed\n", kLinePrefix.data(), passed, failed);
  DbgPrint("%shost end\n", kLinePrefix.data());
  NtTerminateProcess(reinterpret_cast<HANDLE>(-1), 0);
}
