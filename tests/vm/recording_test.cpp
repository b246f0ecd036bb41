// QEMU's recording of the VM's PC speaker, once the VM has ended: it must hold the tones the kernel
// test or the service VM's probe sounded (tone_plan.h), each at its frequency and for its length.
// tests/vm/run and tests/vm/service/run name the recording in QVTOUCH_VM_RECORDING and choose
// their test with --gtest_filter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <span>

#include "tests/vm/planned_tones.h"

namespace qvtouch::testing {
namespace {

void ExpectRecordedTones(std::span<const PlannedTone> plan) {
  const char* file = std::getenv("QVTOUCH_VM_RECORDING");
  ASSERT_NE(file, nullptr) << "QVTOUCH_VM_RECORDING names no recording";
  ExpectPlannedTones(file, plan);
}

TEST(KernelTestRecording, HoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  ExpectRecordedTones(kKernelTestTones);
}

TEST(ServiceRecording, HoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  ExpectRecordedTones(kServiceTones);
}

}  // namespace
}  // namespace qvtouch::testing
