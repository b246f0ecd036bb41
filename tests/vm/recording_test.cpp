// QEMU's recording of the VM's PC speaker, once the VM has ended: it must hold the tones the kernel
// test sounded (tone_plan.h), each at its frequency for its length. tests/vm/run names the
// recording in QVTOUCH_VM_RECORDING.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/vm/planned_tones.h"

namespace qvtouch::testing {
namespace {

TEST(Recording, HoldsThePlannedTonesEachAtItsFrequencyForItsLength) {
  const char* file = std::getenv("QVTOUCH_VM_RECORDING");
  ASSERT_NE(file, nullptr) << "QVTOUCH_VM_RECORDING names no recording";
  ExpectPlannedTones(file, kPlannedTones);
}

}  // namespace
}  // namespace qvtouch::testing
