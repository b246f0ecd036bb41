// Throughput of the read completion: bytes through the decoder, mapping, pointer emulation and
// beep, with pointer output on.
#include <benchmark/benchmark.h>

#include "bench/byte_stream.h"
#include "driver/driver_harness.h"

namespace qvtouch::bench {
namespace {

const driver::DriverHarness::Settings kCalibrated{
    {"Xc", 2048}, {"XL", 3800}, {"Yc", 2048}, {"YL", 3800}, {"BeepMode", 0}};

void FeedStream(benchmark::State& state, const std::vector<std::uint8_t>& stream) {
  driver::DriverHarness harness(kCalibrated);
  std::uint64_t records = 0;
  harness.OnSend = [&records](const MOUSE_INPUT_DATA&) { ++records; };
  driver::FakeSerialPort& port = harness.Port();
  for (auto _ : state) {
    for (std::uint8_t byte : stream) port.Deliver(byte);
  }
  benchmark::DoNotOptimize(records);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void BM_StillHolds(benchmark::State& state) { FeedStream(state, StillHolds(1000)); }
void BM_MovingHolds(benchmark::State& state) { FeedStream(state, MovingHolds(1000)); }

BENCHMARK(BM_StillHolds);
BENCHMARK(BM_MovingHolds);

}  // namespace
}  // namespace qvtouch::bench

BENCHMARK_MAIN();
