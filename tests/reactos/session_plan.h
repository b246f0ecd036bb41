// What the test on ReactOS and its runner on this side agree on: the lines the guest test writes to
// the kernel's debug port, which the runner reads as they come (its requests) and the checks read
// afterwards (its results and observations), and the tones it sounds.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tests/vm/tone_plan.h"

namespace qvtouch::testing::reactos {

// Every line of the guest test starts with this; the kernel's own lines never do.
inline constexpr std::string_view kLinePrefix = "qvtest: ";

// Requests to the runner, after the prefix:
//   host controller ARGS   (re)start the controller simulator with these options on COM2's line
//   host script LINE       one line of the simulator's script
//   host session demo      the demo's touch session (tools/sim/demo-session.txt)
//   host screendump NAME   a picture of the screen, kept with the session's log when it fails
//   host end               the guest test has ended: the runner stops the VM
inline constexpr std::string_view kHostRequest = "host ";

// Observations, after the prefix:
//   screen W H             the screen's size in pixels
//   setting NAME VALUE     a driver setting under its Parameters key, as the test found it
//   pointer KIND X Y       a mouse message of the demo session: KIND is move, left-down, left-up,
//                          right-down or right-up, at that screen pixel
//   N passed, M failed     the guest test's summary, its last line before "host end"
inline constexpr std::string_view kScreenLine = "screen ";
inline constexpr std::string_view kSettingLine = "setting ";
inline constexpr std::string_view kPointerLine = "pointer ";

// The tones: the guest test brackets the two it measures with tones of its own (QEMU's audio
// starts up during the first tone it records and cuts the last one short). The installation
// stores BeepMode 0, so no other touch sounds a beep. The tap's beep is the one on lift-off, the
// installed default, which sounds once the line is quiet: under emulation QEMU's audio output
// falls behind while it also serves a busy serial line, and records a tone sounded then short.
inline constexpr std::uint32_t kTouchBeepFrequency = 1500;
inline constexpr std::uint32_t kTouchBeepMs = 40;
inline constexpr std::uint32_t kTestBeepFrequency = 2500;
inline constexpr std::uint32_t kTestBeepMs = 100;

inline constexpr std::array<PlannedTone, 4> kPlannedTones{{
    {"the test's opening tone", kBracketFrequency, false, 0, 0},
    {"the touch beep of a tap", kTouchBeepFrequency, true, kTouchBeepMs - kLengthToleranceMs,
     kTouchBeepMs + kLengthToleranceMs},
    {"the test beep", kTestBeepFrequency, true, kTestBeepMs - kLengthToleranceMs,
     kTestBeepMs + kLengthToleranceMs},
    {"the test's closing tone", kBracketFrequency, false, 0, 0},
}};

// Unloading the driver while a long test beep sounds (the tone of tests/vm): unload silences it.
inline constexpr std::array<PlannedTone, 3> kUnloadTones{{
    {"the test's opening tone", kBracketFrequency, false, 0, 0},
    {"the tone sounding at unload", kCutToneFrequency, true, kUnloadAfterMs - kLengthToleranceMs,
     kCutToneMs - kLengthToleranceMs},
    {"the test's closing tone, after the driver started again", kBracketFrequency, false, 0, 0},
}};

}  // namespace qvtouch::testing::reactos
