// QEMU's recording of the VM's PC speaker, once the VM has ended: it must hold the tones the kernel
// test or the service VM's probe sounded (tone_plan.h), each at its frequency and for its length.
// tests/vm/run and tests/vm/service/run name the recording in QVTOUCH_VM_RECORDING and choose
// their test with --gtest_filter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <span>
#include <sstream>

#include "tests/vm/tone_plan.h"
#include "tests/vm/tone_recording.h"

namespace qvtouch::testing {
namespace {

std::string Describe(const std::vector<RecordedTone>& tones) {
  std::ostringstream text;
  for (const RecordedTone& tone : tones) {
    text << "\n  " << tone.Frequency << " Hz for " << tone.Milliseconds << " ms";
  }
  return text.str();
}

void ExpectPlannedTones(std::span<const PlannedTone> plan) {
  const char* file = std::getenv("QVTOUCH_VM_RECORDING");
  ASSERT_NE(file, nullptr) << "QVTOUCH_VM_RECORDING names no recording";
  std::vector<std::uint32_t> frequencies;
  for (const PlannedTone& planned : plan) frequencies.push_back(planned.Frequency);

  const std::vector<RecordedTone> tones = SplitIntoTones(ReadWav(file), frequencies);
  ASSERT_EQ(tones.size(), plan.size()) << "recorded:" << Describe(tones);
  for (std::size_t i = 0; i < tones.size(); ++i) {
    const PlannedTone& planned = plan[i];
    std::cout << planned.What << ":" << Describe({tones[i]}) << "\n";
    SCOPED_TRACE(planned.What);
    EXPECT_EQ(tones[i].Nearest, planned.Frequency);
    if (!planned.Measured) continue;
    EXPECT_NEAR(tones[i].Frequency, planned.Frequency, planned.Frequency * kFrequencyTolerance);
    EXPECT_GE(tones[i].Milliseconds, planned.ShortestMs);
    EXPECT_LE(tones[i].Milliseconds, planned.LongestMs);
  }
}

TEST(KernelTestRecording, HoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  ExpectPlannedTones(kKernelTestTones);
}

TEST(ServiceRecording, HoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  ExpectPlannedTones(kServiceTones);
}

}  // namespace
}  // namespace qvtouch::testing
