// The C++ runtime's share of the driver: the few symbols that the standard headers and the
// compiler refer to, defined once here, since no C++ runtime library is linked into a kernel
// image.
#include <cstddef>
#include <new>

#include "platform/kernel_nt/pool.h"

namespace {

// Faults the code never expects. The system stops, naming the driver by its tag and the fault
// by its number, rather than run on in a broken state.
enum class RuntimeFault : ULONG_PTR {
  PureVirtualCall = 1,
  EmptyFunctionCalled = 2,
};

[[noreturn]] void Stop(RuntimeFault fault) {
  KeBugCheckEx(qvtouch::platform::kPoolTag, static_cast<ULONG_PTR>(fault), 0, 0, 0);
}

}  // namespace

// Every object the driver allocates may be reached at DISPATCH_LEVEL: non-paged pool. Only the
// form that reports failure by a null result exists; code that would need a throwing allocation
// does not link.
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return qvtouch::platform::AllocatePool(NonPagedPool, bytes);
}

void operator delete(void* block) noexcept {
  if (block != nullptr) qvtouch::platform::FreePool(block);
}

void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}

extern "C" void __cxa_pure_virtual() {
  Stop(RuntimeFault::PureVirtualCall);
}

namespace std {
void __throw_bad_function_call() {
  Stop(RuntimeFault::EmptyFunctionCalled);
}
}  // namespace std
