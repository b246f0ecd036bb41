#include "platform/input/mouse_class.h"

#include <array>
#include <cstring>

#include "common/little_endian.h"
#include "common/request_codes.h"

namespace qvtouch::platform {
namespace {

MouseAttributes DecodeAttributes(std::span<const std::uint8_t, kMouseAttributesSize> bytes) {
  return {LoadU16(bytes, kAttributesIdentifierOffset), LoadU16(bytes, kAttributesButtonsOffset),
          LoadU16(bytes, kAttributesSampleRateOffset),
          LoadU32(bytes, kAttributesQueueLengthOffset)};
}

// A request of the class driver to its port.
driver::IoRequest InternalRequest(std::uint32_t code, std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output) {
  return {driver::MajorFunction::InternalDeviceControl, code, input, output, 0};
}

}  // namespace

MouseClass::MouseClass(std::unique_ptr<PointerSink> sink)
    : sink_(std::move(sink)), delivery_([this] { DeliveryLoop(); }) {}

MouseClass::~MouseClass() {
  Stop();
}

NtStatus MouseClass::Connect(driver::DeviceDispatch& port) {
  std::array<std::uint8_t, kMouseAttributesSize> attributes{};
  driver::IoRequest query = InternalRequest(IOCTL_MOUSE_QUERY_ATTRIBUTES, {}, attributes);
  const NtStatus queried = port.Dispatch(query);
  if (!NT_SUCCESS(queried)) return queried;
  attributes_ = DecodeAttributes(attributes);

  const CONNECT_DATA connection{this, &MouseClass::ServiceCallback};
  std::array<std::uint8_t, sizeof(CONNECT_DATA)> input{};
  std::memcpy(input.data(), &connection, sizeof(connection));
  driver::IoRequest connect = InternalRequest(IOCTL_INTERNAL_MOUSE_CONNECT, input, {});
  return port.Dispatch(connect);
}

void MouseClass::Stop() {
  if (!delivery_.joinable()) return;
  stopping_.store(true, std::memory_order_release);
  wakeup_.Signal();
  delivery_.join();
}

void MouseClass::ServiceCallback(void* classDeviceObject, const MOUSE_INPUT_DATA* start,
                                 const MOUSE_INPUT_DATA* end, std::uint32_t* consumed) {
  auto& self = *static_cast<MouseClass*>(classDeviceObject);
  std::uint32_t queued = 0;
  for (const MOUSE_INPUT_DATA* record = start; record != end; ++record) {
    if (self.ring_.TryPush(*record)) {
      ++queued;
    } else {
      self.dropped_.fetch_add(1, std::memory_order_relaxed);
    }
  }
  if (queued != 0) self.wakeup_.Signal();
  if (consumed != nullptr) *consumed = queued;
}

void MouseClass::DeliveryLoop() {
  for (;;) {
    wakeup_.Wait();
    // Read before draining: every record queued before Stop was called is then drained below.
    const bool stopping = stopping_.load(std::memory_order_acquire);
    MOUSE_INPUT_DATA record;
    while (ring_.TryPop(record)) sink_->Deliver(record);
    if (stopping) return;
  }
}

}  // namespace qvtouch::platform
