// The image's entry points. Nothing runs global constructors in a driver: the kernel and the
// driver live in static storage (non-paged, in the image) and are built here at entry and
// destroyed at unload.
#include <cstddef>
#include <memory>
#include <new>

#include "driver/driver.h"
#include "platform/kernel_nt/nt_kernel.h"
#include "platform/kernel_nt/unicode_text.h"

namespace qvtouch::platform {
namespace {

// Room for one object that is built and destroyed explicitly.
template <typename T>
class StaticRoom {
 public:
  template <typename... Args>
  T& Build(Args&&... args) {
    return *std::construct_at(reinterpret_cast<T*>(storage_), std::forward<Args>(args)...);
  }
  void Destroy() { std::destroy_at(Get()); }
  T* Get() { return std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) std::byte storage_[sizeof(T)];
};

StaticRoom<NtKernel> kernel;
StaticRoom<driver::TouchDriver> touchDriver;

VOID NTAPI DriverUnload(PDRIVER_OBJECT) {
  touchDriver.Get()->Unload();
  touchDriver.Destroy();
  kernel.Destroy();
}

}  // namespace
}  // namespace qvtouch::platform

// A failure makes the system unload the image without calling DriverUnload: nothing is left.
extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driverObject, PUNICODE_STRING registryPath) {
  using namespace qvtouch::platform;
  const AsciiText path(*registryPath);
  if (!NT_SUCCESS(path.Status())) return path.Status();

  qvtouch::driver::TouchDriver& touch = touchDriver.Build(kernel.Build(*driverObject));
  driverObject->DriverUnload = DriverUnload;
  const NTSTATUS status = touch.DriverEntry(path.View());
  if (!NT_SUCCESS(status)) {
    touchDriver.Destroy();
    kernel.Destroy();
  }
  return status;
}
