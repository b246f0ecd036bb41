// Any bytes as a request to the registry service, which reads what other users send. The decoder
// must refuse them or read them without fault, and what it reads must encode to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/registry/change_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span bytes(data, size);
  const auto changes = qvtouch::platform::DecodeChanges(bytes);
  if (!changes) return 0;
  const auto encoded = qvtouch::platform::EncodeChanges(*changes);
  if (!std::ranges::equal(encoded, bytes)) std::abort();
  return 0;
}
