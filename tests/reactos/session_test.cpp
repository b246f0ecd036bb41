// The session on ReactOS, once the VM has ended (tests/reactos/run): the guest test's own results,
// the pointer as the guest's window saw it against the driver's records for the demo's session,
// and the tones in QEMU's recording of the speaker. The runner names the debug port's log in
// QVTOUCH_REACTOS_LOG and the recording in QVTOUCH_REACTOS_RECORDING.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/input/pointer_sink.h"
#include "tests/reactos/session_log.h"
#include "tests/reactos/session_plan.h"
#include "tests/support/driver_records.h"
#include "tests/vm/planned_tones.h"

namespace qvtouch::testing::reactos {
namespace {

// A pixel may round either way between the driver's 0..65536 and the screen.
constexpr int kPixelTolerance = 1;

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

SessionLog Log() {
  return ReadSessionLog(Variable("QVTOUCH_REACTOS_LOG"));
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The pixel of an absolute position across the screen, as the window system places the cursor.
int Pixel(std::int32_t position, int size) {
  return std::clamp(static_cast<int>(static_cast<std::int64_t>(position) * size / kAbsoluteRange),
                    0, size - 1);
}

// The mouse messages a window over the whole screen gets for the records: a move wherever the
// position changes, then each button transition at that position.
std::vector<PointerMessage> Messages(const std::vector<MOUSE_INPUT_DATA>& records, int width,
                                     int height) {
  std::vector<PointerMessage> messages;
  int x = -1;
  int y = -1;
  for (const MOUSE_INPUT_DATA& record : records) {
    if ((record.Flags & MOUSE_MOVE_ABSOLUTE) != 0 &&
        (Pixel(record.LastX, width) != x || Pixel(record.LastY, height) != y)) {
      x = Pixel(record.LastX, width);
      y = Pixel(record.LastY, height);
      messages.push_back({"move", x, y});
    }
    for (const platform::ButtonTransition& transition : platform::kButtonTransitions) {
      if ((record.ButtonFlags & transition.Flag) == 0) continue;
      const bool left = transition.Button == platform::PointerButton::Left;
      messages.push_back(
          {std::string(left ? "left-" : "right-") + (transition.Pressed ? "down" : "up"), x, y});
    }
  }
  return messages;
}

bool Matches(const PointerMessage& seen, const PointerMessage& expected) {
  return seen.Kind == expected.Kind && std::abs(seen.X - expected.X) <= kPixelTolerance &&
         std::abs(seen.Y - expected.Y) <= kPixelTolerance;
}

std::string Describe(const std::vector<PointerMessage>& messages) {
  std::ostringstream text;
  for (const PointerMessage& message : messages) {
    text << "\n  " << message.Kind << " " << message.X << "," << message.Y;
  }
  return text.str();
}

TEST(Guest, EveryTestInsideReactOsPassed) {
  const SessionLog log = Log();
  ASSERT_TRUE(log.Summary.has_value()) << "the guest test did not finish";
  EXPECT_GT(log.Summary->Passed, 0);
  EXPECT_EQ(log.Summary->Failed, 0);
}

// The demo's tap, drag and touch held still, as the guest's window saw the real cursor: every
// button message the driver's records give, at their pixels, in order; moves may be merged (the
// window system coalesces them) but none lands anywhere the records do not go.
TEST(Pointer, TheDemoSessionMovesAndClicksTheCursorWhereTheMappingSays) {
  const SessionLog log = Log();
  ASSERT_GT(log.ScreenWidth, 0);
  ASSERT_FALSE(log.Settings.empty()) << "the guest reported no settings";
  const std::vector<PointerMessage> expected =
      Messages(DriverRecords(log.Settings, ReadText(QVTOUCH_DEMO_SESSION)), log.ScreenWidth,
               log.ScreenHeight);

  std::vector<PointerMessage> seen;
  for (const PointerMessage& message : log.Pointer) {
    // A move to where the cursor already is tells nothing.
    if (message.Kind == "move" && !seen.empty() && seen.back().X == message.X &&
        seen.back().Y == message.Y) {
      continue;
    }
    seen.push_back(message);
  }
  std::size_t next = 0;
  for (const PointerMessage& message : seen) {
    while (next < expected.size() && !(Matches(message, expected[next]))) {
      ASSERT_EQ(expected[next].Kind, "move")
          << "missed " << expected[next].Kind << " at " << expected[next].X << ","
          << expected[next].Y << "\nexpected:" << Describe(expected) << "\nseen:" << Describe(seen);
      ++next;
    }
    ASSERT_LT(next, expected.size()) << "unexpected " << message.Kind << " at " << message.X
                                     << "," << message.Y << "\nexpected:" << Describe(expected)
                                     << "\nseen:" << Describe(seen);
    ++next;
  }
  for (; next < expected.size(); ++next) {
    EXPECT_EQ(expected[next].Kind, "move") << "missed " << expected[next].Kind << " at "
                                           << expected[next].X << "," << expected[next].Y;
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(Matches(seen.back(), expected.back())) << "the cursor did not end where the records do";
}

TEST(Speaker, TheRecordingHoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  ExpectPlannedTones(Variable("QVTOUCH_REACTOS_RECORDING"), kPlannedTones);
}

TEST(Unload, TheToneSoundingAtUnloadStopsThenAndTheDriverStartsAgain) {
  ExpectPlannedTones(Variable("QVTOUCH_REACTOS_RECORDING"), kUnloadTones);
}

}  // namespace
}  // namespace qvtouch::testing::reactos
