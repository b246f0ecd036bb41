// The driver's pool memory: every block carries the driver's tag.
#pragma once

#include <cstddef>

#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

inline constexpr ULONG kPoolTag = 0x206B6444;

// Non-paged pool for everything that code at DISPATCH_LEVEL may touch; paged pool only for what
// passive-level code alone uses. Null when the pool has no block of that size.
inline void* AllocatePool(POOL_TYPE pool, std::size_t bytes) {
  return ExAllocatePoolWithTag(pool, bytes, kPoolTag);
}

inline void FreePool(void* block) {
  ExFreePoolWithTag(block, kPoolTag);
}

}  // namespace qvtouch::platform
