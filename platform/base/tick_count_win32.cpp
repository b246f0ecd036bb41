// GetTickCount64 for the Windows programs on the platform's 5.2 systems (Server 2003), whose
// kernel32 does not have it: it came with the next version. mingw-w64's thread library, which
// gives the programs std::thread, calls it through its import pointer; this definition of that
// pointer takes the import's place, so that the programs start there at all.
#include <windows.h>

namespace {

ULONGLONG WINAPI TickCount64() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<ULONGLONG>(count.QuadPart / frequency.QuadPart * 1000 +
                                count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
}

}  // namespace

// The import pointer's name as the linker knows it (32-bit names carry stdcall's decoration).
#ifdef __i386__
#define QVTOUCH_TICK_COUNT_IMPORT "__imp__GetTickCount64@0"
#else
#define QVTOUCH_TICK_COUNT_IMPORT "__imp_GetTickCount64"
#endif
extern "C" {
extern const void* const qvtouchTickCount64Import __asm__(QVTOUCH_TICK_COUNT_IMPORT);
const void* const qvtouchTickCount64Import = reinterpret_cast<const void*>(&TickCount64);
}
