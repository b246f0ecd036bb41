#include <gtest/gtest.h>

#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::Report;

// A speaker change: milliseconds after the reference time, and the frequency (0 is silence).
struct Tone {
  std::int64_t Ms;
  std::uint32_t Frequency;
  bool operator==(const Tone&) const = default;
};

void PrintTo(const Tone& tone, std::ostream* out) {
  *out << tone.Frequency << " Hz at " << tone.Ms << " ms";
}

// The speaker changes since the driver started.
std::vector<Tone> Tones(const DriverHarness& harness) {
  std::vector<Tone> tones;
  for (const auto& change : harness.Kernel.Tones) {
    tones.push_back({(change.Time - harness.StartTime) / kUnitsPerMillisecond, change.Frequency});
  }
  return tones;
}

std::unique_ptr<DriverHarness> Started(const DriverHarness::Settings& settings) {
  auto harness = std::make_unique<DriverHarness>(settings);
  harness->Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  return harness;
}

void TouchOnce(DriverHarness& harness) {
  harness.Deliver(testing::Concat({Report(TouchStatus::Press, 1, 1), Report(TouchStatus::Hold, 1, 1),
                                   Report(TouchStatus::Release, 1, 1)}));
}

TEST(TouchBeep, PressModeBeepsOnceAtTouchDown) {
  auto harness = Started({{"BeepMode", kBeepOnPress}, {"BeepTime", 100}});
  harness->Deliver(Report(TouchStatus::Press, 1, 1));
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2000}}));
  harness->Deliver(testing::Concat({Report(TouchStatus::Hold, 1, 1), Report(TouchStatus::Release, 1, 1)}));
  harness->Kernel.AdvanceMilliseconds(100);
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2000}, {100, 0}}));
}

TEST(TouchBeep, ReleaseModeBeepsOnlyAtLiftOff) {
  auto harness = Started({});
  harness->Deliver(testing::Concat({Report(TouchStatus::Press, 1, 1), Report(TouchStatus::Hold, 1, 1)}));
  EXPECT_TRUE(harness->Kernel.Tones.empty());
  harness->Deliver(Report(TouchStatus::Release, 1, 1));
  EXPECT_EQ(harness->Kernel.CurrentTone(), 2000u);
}

TEST(TouchBeep, NoBeepModeIsSilent) {
  auto harness = Started({{"BeepMode", kBeepNone}});
  TouchOnce(*harness);
  EXPECT_TRUE(harness->Kernel.Tones.empty());
}

TEST(TouchBeep, OverlappingTonesSoundAsOneEndingAfterTheLatestStart) {
  auto harness = Started({{"BeepMode", kBeepOnPress}, {"BeepTime", 100}, {"BeepFreq1", 3000}});
  FakeKernel& kernel = harness->Kernel;
  harness->Deliver(Report(TouchStatus::Press, 1, 1));
  kernel.AdvanceMilliseconds(60);
  harness->Deliver(Report(TouchStatus::Press, 1, 1));
  kernel.AdvanceMilliseconds(99);
  EXPECT_EQ(kernel.CurrentTone(), 3000u) << "still sounding 99 ms after the second start";
  kernel.AdvanceMilliseconds(1);
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 3000}, {60, 3000}, {160, 0}}));
}

TEST(TouchBeep, EndsEvenWhenItsSwitchOffFallsDueAsSoonAsItIsArmed) {
  auto harness = Started({{"BeepMode", kBeepOnPress}});
  FakeKernel& kernel = harness->Kernel;
  // The thread that starts the tone is held up just after arming the switch-off, until it is due.
  kernel.OnTimerSet = [&kernel] {
    kernel.OnTimerSet = nullptr;
    kernel.AdvanceMilliseconds(40);
  };
  harness->Deliver(Report(TouchStatus::Press, 1, 1));
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2000}, {40, 0}}));
}

TEST(TouchBeep, EveryToneUsesTheFirstFrequency) {
  auto harness = Started({{"BeepFreq1", 1500}, {"BeepFreq2", 4000}, {"BeepTime2", 500}});
  TouchOnce(*harness);
  harness->Kernel.AdvanceMilliseconds(1000);
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 1500}, {40, 0}}));
}

TEST(TouchBeep, OutOfRangeStoredToneFallsBackAtTheNextLoad) {
  auto harness = Started({{"BeepFreq1", 800}, {"BeepTime", 1000}});
  TouchOnce(*harness);
  harness->Kernel.AdvanceMilliseconds(1000);
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2000}, {40, 0}}));
}

TEST(TestBeep, SoundsWhateverTheModeAndWithPointerOutputDisabled) {
  auto harness = Started({{"BeepMode", kBeepNone}, {"BeepTime", 200}, {"BeepFreq1", 2500}});
  harness->Control(IOCTL_TOUCH_DISABLE_POINTER);
  TouchOnce(*harness);
  EXPECT_TRUE(harness->Kernel.Tones.empty());
  EXPECT_EQ(harness->Control(IOCTL_TOUCH_BEEP).Status, STATUS_SUCCESS);
  harness->Kernel.AdvanceMilliseconds(200);
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2500}, {200, 0}}));
}

TEST(TestBeep, SoundsBeforeThePortIsOpen) {
  FakeKernel kernel;  // no port is there at start
  TouchDriver driver(kernel);
  kernel.OnBlockingWait = [&] {
    // The worker is waiting for the port: a program asks for a test tone meanwhile.
    kernel.OnBlockingWait = nullptr;
    IoRequest beep{MajorFunction::DeviceControl, IOCTL_TOUCH_BEEP, {}, {}, 0};
    EXPECT_EQ(driver.Dispatch(beep), STATUS_SUCCESS);
    kernel.MakePortAvailable("\\??\\COM1", kernel.Now());
  };
  ASSERT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_SUCCESS);
  kernel.AdvanceMilliseconds(1000);
  EXPECT_EQ(kernel.Tones, (std::vector<FakeKernel::ToneChange>{
                              {0, 2000}, {40 * kUnitsPerMillisecond, 0}}));
}

TEST(TestBeep, UnloadSilencesASoundingTone) {
  auto harness = Started({{"BeepTime", 750}});
  harness->Control(IOCTL_TOUCH_BEEP);
  harness->Driver.Unload();
  EXPECT_EQ(harness->Kernel.CurrentTone(), 0u);
  harness->Kernel.AdvanceMilliseconds(1000);
  EXPECT_EQ(harness->Kernel.Tones.size(), 2u) << "the cancelled timer does not fire";
}

TEST(TestBeep, UnloadLeavesASilentSpeakerAlone) {
  auto harness = Started({});
  harness->Control(IOCTL_TOUCH_BEEP);
  harness->Kernel.AdvanceMilliseconds(100);  // the tone has ended
  harness->Driver.Unload();
  EXPECT_EQ(Tones(*harness), (std::vector<Tone>{{0, 2000}, {40, 0}}));
}

}  // namespace
}  // namespace qvtouch::driver
