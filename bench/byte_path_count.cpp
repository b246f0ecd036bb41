// Feeds a fixed stream of Hold reports through the driver once, for instruction counting with
// callgrind (see instructions_per_byte.sh): byte_path_count still (or moving).
#include <cstdio>
#include <cstring>

#include "bench/byte_stream.h"
#include "driver/driver_harness.h"

int main(int argc, char** argv) {
  const bool moving = argc > 1 && std::strcmp(argv[1], "moving") == 0;
  const auto stream = moving ? qvtouch::bench::MovingHolds(10000) : qvtouch::bench::StillHolds(10000);
  qvtouch::driver::DriverHarness harness(
      {{"Xc", 2048}, {"XL", 3800}, {"Yc", 2048}, {"YL", 3800}, {"BeepMode", 0}});
  unsigned long records = 0;
  harness.OnSend = [&records](const qvtouch::MOUSE_INPUT_DATA&) { ++records; };
  qvtouch::driver::FakeSerialPort& port = harness.Port();
  for (std::uint8_t byte : stream) port.Deliver(byte);
  std::printf("%zu bytes, %lu records\n", stream.size(), records);
  return 0;
}
