// The mouse class stand-in. It connects to the pointer port as the system's mouse class driver
// does (attributes query, then the connect request with its service callback) and hands every
// record the port sends to a pointer sink.
//
// The port calls the service callback on its per-byte path, under its spin lock: the callback
// only copies the records into a fixed-size lock-free ring and signals an eventfd, without
// blocking or allocating. A delivery thread of the class's own takes them out and calls the sink,
// so a slow sink (an X server round trip, a file) never holds up the serial line. A full ring
// drops the record and counts it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "common/mouse_input.h"
#include "common/status.h"
#include "driver/kernel.h"
#include "platform/input/pointer_sink.h"
#include "platform/input/spsc_ring.h"
#include "platform/input/wakeup.h"

namespace qvtouch::platform {

// MOUSE_ATTRIBUTES as the port reports them.
struct MouseAttributes {
  std::uint16_t MouseIdentifier = 0;
  std::uint16_t NumberOfButtons = 0;
  std::uint16_t SampleRate = 0;
  std::uint32_t InputDataQueueLength = 0;
  bool operator==(const MouseAttributes&) const = default;
};

class MouseClass {
 public:
  // Records that wait for the delivery thread: two seconds of the busiest stream (96 reports a
  // second, at most five records each) while the sink is stuck.
  static constexpr std::size_t kQueueLength = 1024;

  // Starts the delivery thread.
  explicit MouseClass(std::unique_ptr<PointerSink> sink);
  // Stops, delivering what is queued. The port keeps the callback for as long as it runs, so the
  // class must outlive the driver it is connected to.
  ~MouseClass();
  MouseClass(const MouseClass&) = delete;
  MouseClass& operator=(const MouseClass&) = delete;

  // Queries the port's attributes, then connects with the service callback. Returns the status of
  // the first request that fails, or of the connect.
  NtStatus Connect(driver::DeviceDispatch& port);
  // The attributes from the last successful query.
  const MouseAttributes& Attributes() const { return attributes_; }

  // Delivers every record queued so far, then ends the delivery thread. Records the port sends
  // afterwards stay queued and are never delivered.
  void Stop();

  // Records lost because the ring was full.
  std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  static void ServiceCallback(void* classDeviceObject, const MOUSE_INPUT_DATA* start,
                              const MOUSE_INPUT_DATA* end, std::uint32_t* consumed);
  void DeliveryLoop();

  std::unique_ptr<PointerSink> sink_;
  SpscRing<MOUSE_INPUT_DATA, kQueueLength> ring_;
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<bool> stopping_{false};
  Wakeup wakeup_;
  MouseAttributes attributes_;
  std::thread delivery_;  // last: it starts once everything it uses exists
};

}  // namespace qvtouch::platform
