// The mouse class driver's interface to a pointer port: the input record, its flags, the port's
// attributes and the connection with the class driver's service callback.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvtouch {

struct MOUSE_INPUT_DATA {
  std::uint16_t UnitId = 0;
  std::uint16_t Flags = 0;
  std::uint16_t ButtonFlags = 0;
  std::uint16_t ButtonData = 0;
  std::uint32_t RawButtons = 0;
  std::int32_t LastX = 0;
  std::int32_t LastY = 0;
  std::uint32_t ExtraInformation = 0;
};

// Flags
inline constexpr std::uint16_t MOUSE_MOVE_ABSOLUTE = 0x0001;
inline constexpr std::uint16_t MOUSE_VIRTUAL_DESKTOP = 0x0002;

// ButtonFlags
inline constexpr std::uint16_t MOUSE_LEFT_BUTTON_DOWN = 0x0001;
inline constexpr std::uint16_t MOUSE_LEFT_BUTTON_UP = 0x0002;
inline constexpr std::uint16_t MOUSE_RIGHT_BUTTON_DOWN = 0x0004;
inline constexpr std::uint16_t MOUSE_RIGHT_BUTTON_UP = 0x0008;

// Absolute positions run from 0 at the left (top) edge to this value at the right (bottom) edge.
inline constexpr std::int32_t kAbsoluteRange = 65536;

// The port's attributes (MOUSE_ATTRIBUTES): u16 MouseIdentifier, u16 NumberOfButtons,
// u16 SampleRate, two bytes of padding, u32 InputDataQueueLength.
inline constexpr std::uint32_t kMouseAttributesSize = 12;
inline constexpr std::size_t kAttributesIdentifierOffset = 0;
inline constexpr std::size_t kAttributesButtonsOffset = 2;
inline constexpr std::size_t kAttributesSampleRateOffset = 4;
inline constexpr std::size_t kAttributesQueueLengthOffset = 8;
inline constexpr std::uint16_t MOUSE_SERIAL_HARDWARE = 4;

// The class driver's service callback: takes the records from start up to (not including) end
// and reports how many it consumed. The 32-bit platform's kernel routines, this one among them,
// clean their own arguments off the stack (stdcall).
#if defined(_WIN32) && defined(__i386__)
#define QVTOUCH_KERNEL_CALL __attribute__((stdcall))
#else
#define QVTOUCH_KERNEL_CALL
#endif
using ClassServiceCallback = void(QVTOUCH_KERNEL_CALL*)(void* classDeviceObject,
                                                        const MOUSE_INPUT_DATA* start,
                                                        const MOUSE_INPUT_DATA* end,
                                                        std::uint32_t* consumed);

struct CONNECT_DATA {
  void* ClassDeviceObject = nullptr;
  ClassServiceCallback ClassService = nullptr;
};
static_assert(sizeof(CONNECT_DATA) == 2 * sizeof(void*));  // two pointers, as the platform's

}  // namespace qvtouch
